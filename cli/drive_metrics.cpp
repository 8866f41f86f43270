#include "cli/drive_metrics.h"

#include <algorithm>
#include <bitset>
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>

#include "app/pages/smart_rows.h"
#include "base/utf8.h"
#include "disk/smart_data.h"

namespace cli {

using disk::DriveList;
using disk::DriveRecord;
using disk::kSmartEntryCount;
using disk::RawValue48;
using disk::SmartAttribute;

namespace {

constexpr double kMiB = 1024.0 * 1024.0;
constexpr double kSecondsPerHour = 3600.0;
constexpr int32_t kUnknownTemperature = -1000;

using enum MetricType;

// Status codes, ordered so that the worst of several statuses is their maximum.
struct StatusCode {
    int textRow;  // the status word's interface text
    int code;
};
constexpr StatusCode kStatusCodes[] = {
    {app::SMART_STATUS_OK, 0},
    {app::SMART_STATUS_UNKNOWN, 1},
    {app::SMART_STATUS_CAUTION, 2},
    {app::SMART_STATUS_BAD, 3},
};
constexpr int kUnknownCode = 1;

int CodeOf(int textRow) {
    const auto found = std::ranges::find(kStatusCodes, textRow, &StatusCode::textRow);
    return found == std::end(kStatusCodes) ? kUnknownCode : found->code;
}

bool IsNvme(const DriveRecord& drive) {
    return drive.InterfaceType == disk::InterfaceType::INTERFACE_TYPE_NVME;
}

// The rows worth a series: a real id, the first row of each id (a second row would repeat the
// first one's series and make the whole file invalid).
std::vector<size_t> AttributeRows(const DriveRecord& drive) {
    std::vector<size_t> rows;
    std::bitset<256> seen;
    const size_t count = std::min<size_t>(drive.AttributeCount, kSmartEntryCount);
    for (size_t row = 0; row < count; ++row) {
        const uint8_t id = drive.Attribute[row].Id;
        if (id == 0x00 || id == 0xFF || seen[id]) continue;
        seen[id] = true;
        rows.push_back(row);
    }
    return rows;
}

const SmartAttribute* FindAttribute(const DriveRecord& drive, uint8_t id) {
    for (size_t row : AttributeRows(drive))
        if (drive.Attribute[row].Id == id) return &drive.Attribute[row];
    return nullptr;
}

// A drive was read when it answered and, where it keeps health data, that data was read.
bool WasRead(const DriveRecord& drive) {
    return !drive.SmartSupported || drive.SmartDataValid;
}

// The worst status of the drive's rows; unknown when there is no row to judge by.
int HealthOf(const DriveRecord& drive) {
    const std::vector<size_t> rows = AttributeRows(drive);
    if (!drive.SmartDataValid || rows.empty()) return kUnknownCode;
    int worst = 0;
    for (size_t row : rows)
        worst = std::max(worst, CodeOf(app::SmartStatusOf(drive, row)));
    return worst;
}

// Series with the drive label alone; no value leaves the drive out of the family.
struct DriveSeries {
    const char* name;
    const char* help;
    MetricType type;
    std::optional<double> (*value)(const DriveRecord&);
};
const DriveSeries kDriveSeries[] = {
    {"tramsik_drive_health_status",
     "Worst status of the drive's S.M.A.R.T. rows: 0 OK, 1 unknown, 2 caution, 3 bad.", Gauge,
     [](const DriveRecord& d) -> std::optional<double> { return HealthOf(d); }},
    {"tramsik_drive_capacity_bytes", "Capacity of the drive as the program shows it.", Gauge,
     [](const DriveRecord& d) -> std::optional<double> { return d.TotalDiskSize * kMiB; }},
    {"tramsik_drive_temperature_celsius", "Temperature the drive reports.", Gauge,
     [](const DriveRecord& d) -> std::optional<double> {
         if (d.Temperature == kUnknownTemperature) return std::nullopt;
         return d.Temperature;
     }},
    {"tramsik_drive_power_on_seconds_total", "Time the drive has been powered on.", Counter,
     [](const DriveRecord& d) -> std::optional<double> {
         if (d.PowerOnHours < 0) return std::nullopt;
         return d.PowerOnHours * kSecondsPerHour;
     }},
    {"tramsik_drive_power_cycles_total", "Times the drive has been powered on.", Counter,
     [](const DriveRecord& d) -> std::optional<double> {
         // Without a power cycle counter the record keeps 0, which would read as a new drive.
         if (!d.SmartDataValid || (!IsNvme(d) && !FindAttribute(d, 0x0C))) return std::nullopt;
         return d.PowerOnCount;
     }},
};

// One value of a S.M.A.R.T. row; the rows of NVMe drives go to kNvmeSeries instead.
struct AttributeSeries {
    const char* name;
    const char* help;
    double (*value)(const DriveRecord&, size_t row);
};
const AttributeSeries kAttributeSeries[] = {
    {"tramsik_smart_attribute_current", "Current normalised value of a S.M.A.R.T. attribute.",
     [](const DriveRecord& d, size_t row) -> double { return d.Attribute[row].CurrentValue; }},
    {"tramsik_smart_attribute_worst", "Worst normalised value of a S.M.A.R.T. attribute.",
     [](const DriveRecord& d, size_t row) -> double { return d.Attribute[row].WorstValue; }},
    {"tramsik_smart_attribute_threshold", "Failure threshold of a S.M.A.R.T. attribute.",
     [](const DriveRecord& d, size_t row) -> double { return d.Threshold[row].ThresholdValue; }},
    {"tramsik_smart_attribute_raw",
     "Raw value of a S.M.A.R.T. attribute: its six raw bytes as one little-endian number.",
     [](const DriveRecord& d, size_t row) -> double {
         return static_cast<double>(RawValue48(d.Attribute[row]));
     }},
    {"tramsik_smart_attribute_status",
     "Status of a S.M.A.R.T. attribute: 0 OK, 1 unknown, 2 caution, 3 bad.",
     [](const DriveRecord& d, size_t row) -> double { return CodeOf(app::SmartStatusOf(d, row)); }},
};

// A field of the NVMe health log, read from the row the drive's record keeps it in, as
// value = raw × factor / divisor + offset (a division keeps percentages exact as ratios).
struct NvmeSeries {
    uint8_t row;
    const char* name;
    const char* help;
    MetricType type;
    double factor = 1.0;
    double divisor = 1.0;
    double offset = 0.0;
};
// A data unit is 1000 sectors of 512 bytes; temperatures are kept in kelvin.
const NvmeSeries kNvmeSeries[] = {
    {1, "tramsik_nvme_critical_warning", "Critical warning bits of the health log.", Gauge},
    {2, "tramsik_nvme_temperature_celsius", "Composite temperature.", Gauge, 1, 1, -273},
    {3, "tramsik_nvme_available_spare_ratio", "Remaining spare capacity.", Gauge, 1, 100},
    {4, "tramsik_nvme_available_spare_threshold_ratio",
     "Spare capacity below which the drive warns.", Gauge, 1, 100},
    {5, "tramsik_nvme_percentage_used_ratio",
     "Share of the drive's rated endurance used (the health log's percentage used).", Gauge, 1,
     100},
    {6, "tramsik_nvme_data_read_bytes_total", "Data read by the host.", Counter, 512000},
    {7, "tramsik_nvme_data_written_bytes_total", "Data written by the host.", Counter, 512000},
    {8, "tramsik_nvme_host_read_commands_total", "Read commands completed.", Counter},
    {9, "tramsik_nvme_host_write_commands_total", "Write commands completed.", Counter},
    {10, "tramsik_nvme_controller_busy_seconds_total", "Time the controller was busy.", Counter,
     60},
    {11, "tramsik_nvme_power_cycles_total", "Power cycles.", Counter},
    {12, "tramsik_nvme_power_on_seconds_total", "Power-on time.", Counter, kSecondsPerHour},
    {13, "tramsik_nvme_unsafe_shutdowns_total", "Shutdowns without notice.", Counter},
    {14, "tramsik_nvme_media_errors_total", "Unrecovered data integrity errors.", Counter},
    {15, "tramsik_nvme_error_log_entries_total", "Error information log entries.", Counter},
};

// The label that names a drive: its physical drive number, or its place in the list for one
// reached without a number.
std::string DriveLabel(const DriveRecord& drive, int32_t index) {
    const int32_t number = drive.Address.physicalDriveId;
    return number >= 0 ? std::to_string(number) : "index:" + std::to_string(index);
}

MetricLabel DriveOf(const std::string& label) {
    return {"drive", label};
}

// Builds the families in their order while the drives are walked once per family.
class FamilyBuilder {
  public:
    explicit FamilyBuilder(const MetricsInventory& inventory) : inventory_(inventory) {}

    std::vector<MetricFamily> Build() {
        RunFamilies();
        InfoFamily();
        for (const DriveSeries& series : kDriveSeries) {
            MetricFamily& family = Family(series.name, series.help, series.type);
            ForEachDrive([&](const DriveRecord& d, const std::string& label) {
                if (const auto value = series.value(d))
                    family.samples.push_back({{DriveOf(label)}, *value});
            });
        }
        for (const AttributeSeries& series : kAttributeSeries) {
            MetricFamily& family = Family(series.name, series.help, Gauge);
            ForEachDrive([&](const DriveRecord& d, const std::string& label) {
                if (IsNvme(d)) return;
                for (size_t row : AttributeRows(d))
                    family.samples.push_back(
                        {AttributeLabels(d, row, label), series.value(d, row)});
            });
        }
        for (const NvmeSeries& series : kNvmeSeries) {
            MetricFamily& family = Family(series.name, series.help, series.type);
            ForEachDrive([&](const DriveRecord& d, const std::string& label) {
                const SmartAttribute* row = IsNvme(d) ? FindAttribute(d, series.row) : nullptr;
                if (row == nullptr) return;
                family.samples.push_back(
                    {{DriveOf(label)},
                     static_cast<double>(RawValue48(*row)) * series.factor / series.divisor +
                         series.offset});
            });
        }
        return std::move(families_);
    }

  private:
    MetricFamily& Family(const char* name, const char* help, MetricType type) {
        return families_.emplace_back(MetricFamily{name, help, type, {}});
    }

    template <typename Visit>
    void ForEachDrive(Visit visit) {
        if (inventory_.drives == nullptr) return;
        const DriveList& drives = *inventory_.drives;
        for (int32_t index = 0; index < drives.Count(); ++index)
            visit(drives[index], DriveLabel(drives[index], index));
    }

    // Whether the run read everything it found, how long it took, and which drive answered.
    void RunFamilies() {
        const bool allRead = inventory_.drives != nullptr && inventory_.unansweredDrives.empty() &&
                             std::ranges::all_of(inventory_.drives->Records(), WasRead);
        Family("tramsik_scrape_success", "1 when every drive found was read, 0 otherwise.", Gauge)
            .samples.push_back({{}, allRead ? 1.0 : 0.0});
        Family("tramsik_scrape_duration_seconds", "Time the run took to read the drives.", Gauge)
            .samples.push_back({{}, inventory_.seconds});
        MetricFamily& drive = Family(
            "tramsik_drive_scrape_success",
            "1 when the drive answered and its health data was read, 0 when it did not.", Gauge);
        ForEachDrive([&](const DriveRecord& d, const std::string& label) {
            drive.samples.push_back({{DriveOf(label)}, WasRead(d) ? 1.0 : 0.0});
        });
        for (int32_t number : inventory_.unansweredDrives)
            drive.samples.push_back({{DriveOf(std::to_string(number))}, 0.0});
    }

    void InfoFamily() {
        MetricFamily& family = Family(
            "tramsik_drive_info", "Identity of the drive and how it is reached; always 1.", Gauge);
        ForEachDrive([&](const DriveRecord& d, const std::string& label) {
            family.samples.push_back({{DriveOf(label),
                                       {"model", ToUtf8(d.Model)},
                                       {"serial", ToUtf8(d.SerialNumber)},
                                       {"firmware", ToUtf8(d.FirmwareRev)},
                                       {"interface", ToUtf8(d.Interface)},
                                       {"route", ToUtf8(d.CommandTypeTag)}},
                                      1.0});
        });
    }

    std::vector<MetricLabel> AttributeLabels(const DriveRecord& d, size_t row,
                                             const std::string& label) const {
        const uint8_t id = d.Attribute[row].Id;
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", id);
        return {DriveOf(label),
                {"id", hex},
                {"name", ToUtf8(inventory_.names->GetAttributeName(d.SmartKeyName, id))}};
    }

    const MetricsInventory& inventory_;
    std::vector<MetricFamily> families_;
};

}  // namespace

std::vector<MetricFamily> DriveMetricFamilies(const MetricsInventory& inventory) {
    return FamilyBuilder(inventory).Build();
}

}  // namespace cli

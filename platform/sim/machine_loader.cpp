#include "platform/sim/machine_loader.h"

#include <fstream>
#include <iterator>
#include <set>

#include <nlohmann/json.hpp>

#include "platform/sim/section_readers.h"

namespace platform::sim {

namespace {

using Json = nlohmann::json;

Machine ReadMachine(const Json& document, const std::string& displayName,
                    const std::filesystem::path& baseFolder) {
    ObjectReader top(Field(document, "$"),
                     {"format", "name", "os", "controllers", "drives", "volumes"});
    const Field format = top.Required("format");
    if (format.Text() != kMachineFormat)
        format.Fail("expected \"" + std::string(kMachineFormat) + "\", found \"" + format.Text() +
                    "\"");
    Machine machine;
    machine.name = top.Optional("name") ? top.Required("name").Text()
                                        : std::filesystem::path(displayName).stem().string();
    if (machine.name.empty() || machine.name.find_first_of("/\\") != std::string::npos)
        top.Self().Fail("the machine name must be non-empty and hold no slash");
    machine.os = ReadOs(top.Required("os"));
    if (auto controllers = top.Optional("controllers"))
        for (const Field& item : controllers->Items())
            machine.controllers.push_back(ReadController(item));

    std::set<uint32_t> numbers;
    for (const Field& item : top.Required("drives").Items()) {
        machine.drives.push_back(ReadDrive(item, machine.drives.size(), baseFolder, machine.name));
        const auto number = machine.drives.back().physicalDrive;
        if (number && !numbers.insert(*number).second)
            Field(item.Json().at("physicalDrive"), item.Path() + ".physicalDrive")
                .Fail("physical drive " + std::to_string(*number) + " is given twice");
    }
    std::set<wchar_t> letters;
    if (auto volumes = top.Optional("volumes")) {
        for (const Field& item : volumes->Items()) {
            machine.volumes.push_back(ReadVolume(item, machine.drives));
            if (!letters.insert(machine.volumes.back().letter).second)
                item.Fail("drive letter " +
                          std::string(1, static_cast<char>(machine.volumes.back().letter)) +
                          " is given twice");
        }
    }
    top.Close();
    return machine;
}

}  // namespace

std::optional<Machine> ParseMachine(std::string_view text, const std::string& displayName,
                                    const std::filesystem::path& baseFolder, std::string* error) {
    Json document;
    try {
        document = Json::parse(text);
    } catch (const Json::parse_error& parseError) {
        // The library's own text names the line and column.
        *error = displayName + ": $: not valid JSON: " + parseError.what();
        return std::nullopt;
    }
    try {
        return ReadMachine(document, displayName, baseFolder);
    } catch (const MachineError& problem) {
        *error = displayName + ": " + problem.path + ": " + problem.problem;
        return std::nullopt;
    } catch (const std::exception& unexpected) {
        *error = displayName + ": $: cannot be read: " + unexpected.what();
        return std::nullopt;
    }
}

std::optional<Machine> LoadMachineFile(const std::filesystem::path& file, std::string* error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        *error = file.string() + ": cannot be read";
        return std::nullopt;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ParseMachine(text, file.string(), file.parent_path(), error);
}

}  // namespace platform::sim

#include "disk/drive_codes.h"

#include <array>

namespace disk {

namespace {

struct RouteCode {
    const wchar_t* code;
    bool numbersDevice;  // the tag says which device answered: first or second
};

constexpr std::array<RouteCode, kCommandTypeCount> kRoutes{{
    {L"un", false},  // CMD_TYPE_UNKNOWN
    {L"pd", true},   // CMD_TYPE_PHYSICAL_DRIVE
    {L"sm", false},  // CMD_TYPE_SCSI_MINIPORT
    {L"si", false},  // CMD_TYPE_SILICON_IMAGE
    {L"sa", true},   // CMD_TYPE_SAT
    {L"sp", true},   // CMD_TYPE_SUNPLUS
    {L"io", true},   // CMD_TYPE_IO_DATA
    {L"l1", true},   // CMD_TYPE_LOGITEC1
    {L"l2", true},   // CMD_TYPE_LOGITEC2
    {L"jm", true},   // CMD_TYPE_JMICRON
    {L"cy", true},   // CMD_TYPE_CYPRESS
    {L"pr", true},   // 11, assigned by no route
    {L"cs", false},  // CMD_TYPE_CSMI
    {L"cp", false},  // CMD_TYPE_CSMI_PHYSICAL_DRIVE
    {L"wm", false},  // CMD_TYPE_WMI
    {L"ns", false},  // CMD_TYPE_NVME_SAMSUNG
    {L"ni", false},  // CMD_TYPE_NVME_INTEL
    {L"sq", false},  // CMD_TYPE_NVME_STORAGE_QUERY
}};

const RouteCode& Route(CommandType commandType) {
    const auto index = static_cast<size_t>(ToUnderlying(commandType));
    return index < kRoutes.size() ? kRoutes[index]
                                  : kRoutes[ToUnderlying(CommandType::CMD_TYPE_UNKNOWN)];
}

}  // namespace

std::wstring CommandTypeCode(CommandType commandType) {
    return Route(commandType).code;
}

std::wstring FormatCommandTypeTag(CommandType commandType, uint8_t target) {
    const RouteCode& route = Route(commandType);
    std::wstring tag = route.code;
    if (route.numbersDevice) tag += target == TARGET_SECOND_DEVICE ? L'2' : L'1';
    return tag;
}

}  // namespace disk

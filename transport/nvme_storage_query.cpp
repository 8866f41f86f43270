#include "transport/nvme_storage_query.h"

#include <algorithm>
#include <memory>

#include "platform/ioctl.h"
#include "platform/platform.h"
#include "platform/win_constants.h"

namespace transport {

using namespace platform;

namespace {

BOOL QueryNvme(int physicalDrive, DWORD dataType, DWORD requestValue, DWORD requestSubValue,
               NvmePage destination) {
    // Too large for the stack of every caller; make_unique zeroes it.
    const auto request = std::make_unique<STORAGE_QUERY_NVME_BUFFER>();
    request->PropertyId = StorageAdapterProtocolSpecificProperty;
    request->QueryType = PropertyStandardQuery;
    STORAGE_PROTOCOL_SPECIFIC_DATA& protocol = request->ProtocolSpecific;
    protocol.ProtocolType = ProtocolTypeNvme;
    protocol.DataType = dataType;
    protocol.ProtocolDataRequestValue = requestValue;
    protocol.ProtocolDataRequestSubValue = requestSubValue;
    protocol.ProtocolDataOffset = sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA);
    protocol.ProtocolDataLength = kNvmeTransferSize;

    BOOL ok = 0;
    const HANDLE drive = OpenNvmePhysicalDrive(physicalDrive);
    if (drive != INVALID_HANDLE_VALUE) {
        DWORD returned = 0;
        ok = DeviceIoControl(drive, IOCTL_STORAGE_QUERY_PROPERTY, request.get(), sizeof *request,
                             request.get(), sizeof *request, &returned);
        CloseHandle(drive);
    }
    // The reply area is taken as it is, answered or not: the caller never keeps an older page.
    std::copy_n(request->Data, destination.size(), destination.begin());
    return ok;
}

}  // namespace

bool DoIdentifyDeviceNVMeStorageQuery(int physicalDrive, NvmePage identify) {
    return QueryNvme(physicalDrive, NVMeDataTypeIdentify, 0, 0, identify) != 0;
}

bool GetSmartAttributeNVMeStorageQuery(int physicalDrive, NvmePage healthLog) {
    return QueryNvme(physicalDrive, NVMeDataTypeLogPage, NVME_LOG_PAGE_HEALTH_INFO,
                     NVME_NAMESPACE_ALL, healthLog) != 0;
}

}  // namespace transport

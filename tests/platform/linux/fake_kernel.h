// A kernel for the Linux backend's tests: sysfs and procfs texts from a table, disks as byte
// vectors, and pass-through requests recorded and answered by the test.
#pragma once

#include <cerrno>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/linux/kernel_abi.h"
#include "platform/linux/kernel_io.h"

namespace platform::linux_backend {

class FakeKernel : public KernelIo {
  public:
    struct Disk {
        std::vector<uint8_t> bytes;
        int sectorSize = 512;
        int openError = 0;           // errno every open fails with
        bool exclusiveBusy = false;  // an exclusive open fails with EBUSY
        int rereads = 0, syncs = 0;
    };
    struct Write {
        std::string path;
        uint64_t offset;
        size_t size;
    };
    // One SG_IO as it reached the kernel: the header, the CDB and the data the caller gave.
    struct SgCall {
        SgIoHeader header;
        std::vector<uint8_t> cdb;
    };
    struct Open {
        std::string path;
        OpenMode mode;
        bool closed = false;
    };

    std::map<std::string, std::string> files;
    std::map<std::string, std::string> links;
    std::set<std::string> folders;
    std::map<std::string, Disk> disks;
    std::map<std::string, FsStats> fileSystems;
    std::map<std::string, std::string> environment;
    SystemName system{"Linux", "6.1.76-amd64", "x86_64"};

    std::vector<Open> opens;
    std::vector<Write> writes;
    std::vector<SgCall> sgCalls;
    std::vector<NvmeAdminCommand> nvmeCalls;
    // Answers an SG_IO: fill the data, status and sense of `header`.
    std::function<void(SgIoHeader&, const std::vector<uint8_t>&)> answerSg;
    // Answers an NVMe admin command: fill the data; the result is the NVMe status.
    std::function<int(NvmeAdminCommand&)> answerNvme;

    // A sysfs attribute or any text file; its folders come into being with it.
    void File(const std::string& path, const std::string& text) {
        files[path] = text;
        for (size_t slash = path.find('/', 1); slash != std::string::npos;
             slash = path.find('/', slash + 1))
            folders.insert(path.substr(0, slash));
    }

    int Open(const std::string& path, OpenMode mode) override {
        const auto disk = disks.find(path);
        if (disk != disks.end()) {
            if (disk->second.openError) return -disk->second.openError;
            if (mode == OpenMode::ReadWriteExclusive && disk->second.exclusiveBusy) return -EBUSY;
        } else if (!files.count(path)) {
            return -ENOENT;
        }
        opens.push_back({path, mode});
        return static_cast<int>(opens.size()) + 2;
    }
    void Close(int fd) override { opens.at(static_cast<size_t>(fd - 3)).closed = true; }
    const std::string& PathOf(int fd) const { return opens.at(static_cast<size_t>(fd - 3)).path; }

    int Ioctl(int fd, unsigned long request, void* argument) override {
        const auto found = disks.find(PathOf(fd));
        if (found == disks.end()) return -ENOTTY;
        Disk& disk = found->second;
        if (request == kBlkGetSize64) {
            const uint64_t size = disk.bytes.size();
            std::memcpy(argument, &size, sizeof size);
            return 0;
        }
        if (request == kBlkSszGet) {
            std::memcpy(argument, &disk.sectorSize, sizeof disk.sectorSize);
            return 0;
        }
        if (request == kBlkRrPart) {
            ++disk.rereads;
            return 0;
        }
        if (request == kSgIo) {
            auto& header = *static_cast<SgIoHeader*>(argument);
            sgCalls.push_back({header, {header.cmdp, header.cmdp + header.cmdLen}});
            if (!answerSg) return -ENOTTY;
            answerSg(header, sgCalls.back().cdb);
            return 0;
        }
        if (request == kNvmeIoctlAdminCmd) {
            auto& command = *static_cast<NvmeAdminCommand*>(argument);
            nvmeCalls.push_back(command);
            return answerNvme ? answerNvme(command) : -ENOTTY;
        }
        return -ENOTTY;
    }
    int64_t ReadAt(int fd, void* buffer, size_t size, uint64_t offset) override {
        const auto found = disks.find(PathOf(fd));
        if (found == disks.end()) return -EBADF;
        const auto& bytes = found->second.bytes;
        if (offset >= bytes.size()) return 0;
        const size_t count = std::min<uint64_t>(size, bytes.size() - offset);
        std::memcpy(buffer, bytes.data() + offset, count);
        return static_cast<int64_t>(count);
    }
    int64_t WriteAt(int fd, const void* buffer, size_t size, uint64_t offset) override {
        const auto found = disks.find(PathOf(fd));
        if (found == disks.end()) return -EBADF;
        auto& bytes = found->second.bytes;
        if (offset + size > bytes.size()) return -ENOSPC;
        std::memcpy(bytes.data() + offset, buffer, size);
        writes.push_back({found->first, offset, size});
        return static_cast<int64_t>(size);
    }
    int Sync(int fd) override {
        if (const auto found = disks.find(PathOf(fd)); found != disks.end()) ++found->second.syncs;
        return 0;
    }

    std::optional<std::string> ReadText(const std::string& path) override {
        const auto found = files.find(path);
        if (found == files.end()) return std::nullopt;
        return found->second;
    }
    std::vector<std::string> ListDirectory(const std::string& path) override {
        std::set<std::string> names;
        const std::string prefix = path + "/";
        const auto add = [&](const std::string& entry) {
            if (entry.rfind(prefix, 0) == 0) {
                const std::string rest = entry.substr(prefix.size());
                names.insert(rest.substr(0, rest.find('/')));
            }
        };
        for (const auto& [name, text] : files)
            add(name);
        for (const std::string& folder : folders)
            add(folder);
        for (const auto& [name, target] : links)
            add(name);
        return {names.begin(), names.end()};
    }
    std::optional<std::string> Resolve(const std::string& path) override {
        if (const auto link = links.find(path); link != links.end()) return link->second;
        if (files.count(path) || folders.count(path)) return path;
        return std::nullopt;
    }
    std::optional<FsStats> FileSystemStats(const std::string& path) override {
        const auto found = fileSystems.find(path);
        if (found == fileSystems.end()) return std::nullopt;
        return found->second;
    }
    SystemName Uname() override { return system; }
    std::optional<std::string> Environment(const std::string& name) override {
        const auto found = environment.find(name);
        if (found == environment.end()) return std::nullopt;
        return found->second;
    }
};

}  // namespace platform::linux_backend

#include "base/ui_text.h"

#include <array>

int LanguageFlag = 0;

namespace {

struct UiTextRow {
    unsigned row;
    const wchar_t* english;
    const wchar_t* chinese;
};

// Rows not listed here are empty in both languages. Trailing blanks are part of the texts.
constexpr UiTextRow kRows[] = {
    {2, L"Serial No. :", L"序列号 :"},
    {4, L"Firmware :", L"固件 :"},
    {5, L"Unallocated :", L"未分配 :"},
    {6, L"Free Space :", L"可用空间 :"},
    {7, L"Used Space :", L"已用空间 :"},
    {11, L"Source Disk :", L"源磁盘 :"},
    {12, L"OS Version :", L"系统版本 :"},
    {13, L"OS Drive :", L"系统驱动器 :"},
    {14, L"Driver", L"驱动器"},
    {15, L"Target Disk :", L"目标磁盘 :"},
    {16, L"Data migration", L"数据迁移 "},
    {17, L"Used Time :", L"已用时间 :"},
    {18, L"Remain Time :", L"剩余时间 :"},
    {19, L"Start", L"开始"},
    {20, L"Cancel", L"取消"},
    {46, L"Vendor Specific", L"厂商特定项目"},
    {62, L"OK", L"良好"},
    {63, L"CAUTION", L"小心"},
    {64, L"Bad", L"损坏"},
    {65, L"Unknow", L"未知"},
    {66, L"Disk Infomation ", L"磁盘信息"},
    {67, L"S.M.A.R.T", L"S.M.A.R.T"},
    {68, L"Data Migration", L"数据迁移"},
    {69, L"Description", L"属性名称"},
    {70, L"Current", L"当前值"},
    {71, L"Worst", L"最差值"},
    {72, L"Threshold", L"临界值"},
    {73, L"Raw", L"原始值"},
    {74, L"Status", L"状态"},
    {75, L"Control initialization failed", L"控件初始化失败"},
    {76, L"System migration failed, may be occupied, please unplug the device to try again",
     L"系统迁移失败，磁盘可能被占用, 请拔插设备重试"},
    {77, L"You will terminate the system data migration.", L"用户已终止当前系统数据迁移。"},
    {78, L"Migrating", L"正在迁移"},
    {80,
     L"System data migration is completed, please close the computer with the target disk replace "
     L"the source disk for computer startup.\n",
     L"系统数据迁移完成，请关闭电脑用目标磁盘替换源磁盘进行电脑启动。\n"},
    {81,
     L"This step will migrate the current operating system to the target disk,and the target disk "
     L"will be formatted, are you sure to continue?",
     L"此步骤将迁移当前操作系统到目标磁盘，迁移过程中将清除和格式化目标磁盘，是否确定继续?"},
    {84, L"-Bit", L"位"},
    {85, L"Orvel Tramsik V1.3", L"OrvelTramsik V1.3"},
    {86, L"System migration failed", L"系统迁移失败"},
    {87,
     L"Target disk capacity is less than the capacity of the source disk system partition,exchange "
     L"a bigger capacity SSD to finish the migration!",
     L"磁盘容量不足，目标磁盘容量必须大于源磁盘系统分区的容量，请更换较大容量的固态硬盘（SSD）完成"
     L"系统数据迁移！"},
    {89, L"Target device is offline,please set it online",
     L"目标磁盘无法写入，可能处于脱机状态，请设置磁盘联机"},
    {90, L"Disk capacity :", L"磁盘容量 :"},
    {93, L"Drive letter: ", L"驱动器号: "},
    {94, L"Transmission mode: ", L"传输模式: "},
    {95, L"Power-on Count: ", L"通电次数: "},
    {96, L"Power-on Time: ", L"通电时间: "},
    {98, L"AHCI: ", L"AHCI: "},
    {101, L"Opeded", L"已开启"},
    {102, L"Unopened", L"未开启"},
    {103, L"Times", L"次"},
    {104, L"hour", L"小时"},
    {105, L"Current Mode | Support Mode", L"当前模式 | 支持模式"},
    {106, L"", L"无分区"},
    {107, L"Interface :", L"接口 :"},
};

struct UiTextTable {
    std::array<const wchar_t*, kUiTextRows> english{};
    std::array<const wchar_t*, kUiTextRows> chinese{};
    UiTextTable() {
        english.fill(L"");
        chinese.fill(L"");
        for (const UiTextRow& r : kRows) {
            english[r.row] = r.english;
            chinese[r.row] = r.chinese;
        }
    }
};

}  // namespace

int LanguageForCodePage(unsigned codePage) {
    return codePage == 936 ? 1 : 0;
}

void SetLanguageFlag(unsigned codePage, std::optional<int> chosen) {
    LanguageFlag = chosen.value_or(LanguageForCodePage(codePage));
}

std::wstring GetUiText(int row) {
    static const UiTextTable table;
    const unsigned index = static_cast<unsigned>(row);
    if (index >= kUiTextRows) return std::wstring();
    return LanguageFlag == 1 ? table.chinese[index] : table.english[index];
}

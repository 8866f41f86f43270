// The diagnostic log: one timestamped line per call, appended to a plain-text file (beside the
// executable, as a rule), safe from any thread, and silent about its own failures.
#pragma once

#include <atomic>
#include <cstdarg>
#include <string>

// One log file. The program uses a single process-wide instance through the free functions
// below; tests make their own.
class DiagnosticLog {
  public:
    // Longest message kept; longer ones are cut.
    static constexpr size_t kMaxMessage = 4095;

    // Deletes an existing log at `logPath` and starts appending. Only the first StartAt of an
    // instance has any effect.
    void StartAt(const std::wstring& logPath);

    void Write(const wchar_t* format, va_list arguments);
    void WriteFormatted(const wchar_t* format, ...);

    std::wstring Path() const { return path_; }

    // The executable's path with its extension replaced by ".log"; an executable without an
    // extension gets ".log" appended.
    static std::wstring PathFor(const std::wstring& executablePath);

  private:
    std::wstring path_;
    bool notStarted_ = true;
    std::atomic<int> lock_{0};
};

// The process-wide log.
DiagnosticLog& ProcessLog();

// printf-style: wide string arguments are passed with %ls.
void WriteLog(const wchar_t* format, ...);
// Starts the process-wide log where the host keeps it (base::LogPath).
void StartLog();
// Starts the process-wide log at an explicit file.
void StartLogAt(const std::wstring& logPath);

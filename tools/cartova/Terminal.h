// The tool's output: a live status line and a progress bar on a terminal,
// plain lines (at most one a second) when the output is not a terminal.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

class Terminal {
public:
    explicit Terminal(FILE* out);

    // Replaces the status line (on a terminal) or prints it now and then.
    void Status(const std::string& text);
    // "Writing [#####     ]  52 %  file 3 of 5" style progress.
    void Progress(int fileProgress, int totalProgress, size_t file, size_t files);
    // Ends any status line and prints a line of its own.
    void Line(const std::string& text);
    // Ends any status line.
    void EndStatus();

    bool IsTerminal() const { return m_isTerminal; }

private:
    FILE* m_out;
    bool m_isTerminal;
    bool m_statusShown = false;
    std::chrono::steady_clock::time_point m_lastPlain{};
};

// "12:03.4" for seconds.
std::string FormatTime(double seconds);
// "-12.5 dBFS" for a linear peak in 0..1.
std::string FormatLevel(double peak);

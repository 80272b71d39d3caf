// Status line and progress output of the tool.
#include "Terminal.h"

#include <algorithm>
#include <cmath>
#include <unistd.h>

Terminal::Terminal(FILE* out) : m_out(out), m_isTerminal(isatty(fileno(out)) != 0) {}

void Terminal::Status(const std::string& text)
{
    if (m_isTerminal) {
        std::fprintf(m_out, "\r\033[K%s", text.c_str());
        std::fflush(m_out);
        m_statusShown = true;
        return;
    }
    auto now = std::chrono::steady_clock::now();
    if (now - m_lastPlain < std::chrono::seconds(1))
        return;
    m_lastPlain = now;
    std::fprintf(m_out, "%s\n", text.c_str());
    std::fflush(m_out);
}

void Terminal::Progress(int fileProgress, int totalProgress, size_t file, size_t files)
{
    constexpr int width = 30;
    int filled = std::clamp(totalProgress, 0, 1000) * width / 1000;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.resize(width, ' ');
    char text[160];
    std::snprintf(text, sizeof text, "writing [%s] %3d %%  (file %zu of %zu: %3d %%)", bar.c_str(),
                  totalProgress / 10, file, files, fileProgress / 10);
    Status(text);
}

void Terminal::Line(const std::string& text)
{
    EndStatus();
    std::fprintf(m_out, "%s\n", text.c_str());
    std::fflush(m_out);
}

void Terminal::EndStatus()
{
    if (m_statusShown) {
        std::fprintf(m_out, "\n");
        m_statusShown = false;
    }
}

std::string FormatTime(double seconds)
{
    if (seconds < 0.0)
        seconds = 0.0;
    long tenths = std::lround(std::floor(seconds * 10.0));
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld.%ld", tenths / 600, (tenths / 10) % 60, tenths % 10);
    return text;
}

std::string FormatLevel(double peak)
{
    if (peak <= 1e-6)
        return " -inf dBFS";
    char text[32];
    std::snprintf(text, sizeof text, "%5.1f dBFS", 20.0 * std::log10(peak));
    return text;
}

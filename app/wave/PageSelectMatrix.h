// Page selector of the whole-recording waveform: one page per stretch of the recording.
#pragma once

#include <QWidget>

class WaveView;

class PageSelectMatrix : public QWidget {
    Q_OBJECT
public:
    explicit PageSelectMatrix(QWidget* parent = nullptr) : QWidget(parent)
    {
        setObjectName(QStringLiteral("pageSelectMatrix"));
    }
    void setWaveView(WaveView* view) { m_waveView = view; }
    void initWithTotalTime(double seconds) { m_pageCount = seconds > 0.0 ? 1 : 0; m_showingPage = 0; }
    int pageCount() const { return m_pageCount; }
    int showingPage() const { return m_showingPage; }
    int firstPage() const { return 0; }
    int lastPage() const { return m_pageCount > 0 ? m_pageCount - 1 : 0; }
    void setShowingPage(int page)
    {
        if (page >= firstPage() && page <= lastPage())
            m_showingPage = page;
    }

private:
    WaveView* m_waveView = nullptr;
    int m_pageCount = 0;
    int m_showingPage = 0;
};

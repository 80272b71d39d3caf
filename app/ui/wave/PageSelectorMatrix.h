// Row of page buttons under the waveform in the wide scale: one button per 30 minutes of
// the recording; choosing one scrolls the waveform view to that page. The page on screen
// is the checked button, drawn in the look's accent.
#pragma once

#include <QWidget>

class QButtonGroup;
class QHBoxLayout;
class WaveView;

class PageSelectorMatrix : public QWidget {
    Q_OBJECT
public:
    explicit PageSelectorMatrix(QWidget* parent = nullptr);

    void setWaveView(WaveView* view) { m_waveView = view; }
    WaveView* waveView() const { return m_waveView; }

    // One page per 30 minutes of totalTime seconds, page 0 shown; hidden with one page.
    void initWithTotalTime(double totalTime);
    int pageCount() const { return m_pageCount; }
    int showingPage() const { return m_showingPage; }
    int firstPage() const { return 0; }
    int lastPage() const { return m_pageCount - 1; }
    // Ignored outside 0 <= page < pageCount; otherwise selects it and scrolls to it.
    void setShowingPage(int page);
    // Title of a page's button ("0 - 30" ... "90 - 100" for the first four, else empty).
    QString pageTitle(int page) const;

signals:
    // Another page is on screen.
    void showingPageChanged(int page);

private:
    WaveView* m_waveView = nullptr;
    QHBoxLayout* m_row;
    QButtonGroup* m_cells;
    int m_showingPage = 0;
    int m_pageCount = 0;
};

// Pages of a recording of totalTime seconds: one per started 30 minutes.
int PageCountForTotalTime(double totalTime);

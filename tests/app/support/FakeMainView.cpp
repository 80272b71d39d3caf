// Recording main view for the logic tests.
#include "FakeMainView.h"

bool FakeMainView::isHidden(ViewItem item) const
{
    const auto it = hidden.find(item);
    return it != hidden.end() && it->second;
}

bool FakeMainView::isEnabled(ViewItem item) const
{
    const auto it = enabled.find(item);
    return it == enabled.end() || it->second;
}

bool FakeMainView::isMenuEnabled(MenuItemId item) const
{
    const auto it = menuEnabled.find(item);
    return it != menuEnabled.end() && it->second;
}

void FakeMainView::setTimeIndicatorLayout(int leading, int top, bool hide)
{
    timeLeading = leading;
    timeTop = top;
    hideTotalTime = hide;
}

void FakeMainView::setRecordFormat(const QString& format, uint64_t rate, uint16_t bits)
{
    recordFormat = format;
    recordSampleRate = rate;
    recordBits = bits;
}

void FakeMainView::resetWave(WaveImageManager* images)
{
    waveImages = images;
    ++waveResets;
    hidden[ViewItem::PageSelector] = true;
    waveScrolling = false;
}

// One page per started ten minutes, as a simple stand-in for the page selector.
void FakeMainView::initPages(double totalTime)
{
    pagesTotalTime = totalTime;
    pages.pageCount = totalTime > 0.0 ? static_cast<int>(totalTime / 600.0) + 1 : 0;
    pages.firstPage = 0;
    pages.lastPage = pages.pageCount > 0 ? pages.pageCount - 1 : 0;
    pages.showingPage = 0;
}

void FakeMainView::setShowingPage(int page)
{
    if (page >= pages.firstPage && page <= pages.lastPage)
        pages.showingPage = page;
}

void FakeMainView::openGainPanel(const QString& title)
{
    gainPanelTitle = title;
    ++gainPanelOpens;
}

void FakeMainView::closeWindow()
{
    windowVisible = false;
    ++windowCloses;
}

// Page buttons of the wide scale.
#include "wave/PageSelectorMatrix.h"

#include "wave/WaveGeometry.h"
#include "wave/WaveView.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLayout>
#include <QPushButton>

namespace {
const char* const kPageTitles[] = {"0 - 30", "30 - 60", "60 - 90", "90 - 100"};
constexpr int kTitledPages = 4;
} // namespace

int PageCountForTotalTime(double totalTime)
{
    return static_cast<int>((totalTime - wavegeom::kPageOverlap) / 60.0 / 30.0) + 1;
}

PageSelectorMatrix::PageSelectorMatrix(QWidget* parent)
    : QWidget(parent), m_row(new QHBoxLayout(this)), m_cells(new QButtonGroup(this))
{
    setObjectName(QStringLiteral("pageSelectMatrix"));
    m_row->setContentsMargins(0, 0, 0, 0);
    m_row->setSpacing(4);
    m_cells->setExclusive(true);
    connect(m_cells, &QButtonGroup::idClicked, this, [this](int page) { setShowingPage(page); });
}

QString PageSelectorMatrix::pageTitle(int page) const
{
    return page >= 0 && page < kTitledPages ? QString::fromLatin1(kPageTitles[page]) : QString();
}

void PageSelectorMatrix::initWithTotalTime(double totalTime)
{
    for (QAbstractButton* cell : m_cells->buttons()) {
        m_cells->removeButton(cell);
        delete cell;
    }
    m_pageCount = PageCountForTotalTime(totalTime);
    for (int page = 0; page < m_pageCount; ++page) {
        auto* cell = new QPushButton(pageTitle(page), this);
        cell->setCheckable(true);
        cell->setFlat(true);
        cell->setObjectName(QStringLiteral("pageCell%1").arg(page));
        m_cells->addButton(cell, page);
        m_row->addWidget(cell);
    }
    m_showingPage = 0;
    if (QAbstractButton* first = m_cells->button(0))
        first->setChecked(true);
    setFixedSize(sizeHint());
    if (QWidget* parent = parentWidget(); parent && parent->layout())
        parent->layout()->setAlignment(this, Qt::AlignHCenter);
    setHidden(m_pageCount == 1);
}

void PageSelectorMatrix::setShowingPage(int page)
{
    if (page < 0 || page >= m_pageCount)
        return;
    const bool changed = page != m_showingPage;
    m_showingPage = page;
    if (QAbstractButton* cell = m_cells->button(page))
        cell->setChecked(true);
    if (m_waveView)
        m_waveView->scrollToX(page * wavegeom::kPageWidth);
    if (changed)
        emit showingPageChanged(page);
}

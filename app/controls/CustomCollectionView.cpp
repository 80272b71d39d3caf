// Item reuse and stacking of the vertical list.
#include "controls/CustomCollectionView.h"

CustomCollectionView::CustomCollectionView(QWidget* parent) : QWidget(parent) {}

void CustomCollectionView::setItemPrototype(ItemFactory factory, const QSize& itemSize)
{
    m_factory = std::move(factory);
    m_itemSize = itemSize;
    updateGeometry();
}

void CustomCollectionView::setContent(const QVariantList& content)
{
    QVariantList oldContent = m_content;
    QList<QWidget*> oldItems = m_displayedItems;
    QList<QWidget*> items;
    for (const QVariant& element : content) {
        QWidget* item = nullptr;
        const qsizetype found = oldContent.indexOf(element);
        if (found >= 0) {
            item = oldItems.takeAt(found);
            oldContent.removeAt(found);
        } else if (m_factory) {
            item = m_factory(element, this);
        }
        if (item) {
            item->setParent(this);
            item->show();
        }
        items.append(item);
    }
    for (QWidget* removed : oldItems) {
        if (removed)
            removed->deleteLater();
    }
    m_content = content;
    m_displayedItems = items;
    layoutItems();
    updateGeometry();
}

void CustomCollectionView::layoutItems()
{
    int y = kSpacing;
    for (QWidget* item : m_displayedItems) {
        const int h = m_itemSize.isValid() ? m_itemSize.height() : (item ? item->sizeHint().height() : 0);
        if (item)
            item->setGeometry(0, y, m_itemSize.isValid() ? m_itemSize.width() : width(), h);
        y += h + kSpacing;
    }
}

QSize CustomCollectionView::sizeHint() const
{
    const int count = static_cast<int>(m_content.size());
    return QSize(m_itemSize.width(), count * (m_itemSize.height() + kSpacing) + kSpacing);
}

// A vertical list of item views, one per element of its content, stacked from the top
// with 6 points above the first and between items. Items of elements that remain are
// kept when the content changes; those of removed elements are taken away.
#pragma once

#include <QList>
#include <QVariant>
#include <QWidget>
#include <functional>

class CustomCollectionView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSpacing = 6;
    // Makes the item view of one element (the item prototype).
    using ItemFactory = std::function<QWidget*(const QVariant& element, QWidget* parent)>;

    explicit CustomCollectionView(QWidget* parent = nullptr);

    void setItemPrototype(ItemFactory factory, const QSize& itemSize);
    void setContent(const QVariantList& content);
    const QVariantList& content() const { return m_content; }
    // The item views in content order.
    const QList<QWidget*>& displayedItems() const { return m_displayedItems; }

    // Prototype width by count x (item height + 6) + 6.
    QSize sizeHint() const override;

private:
    void layoutItems();

    ItemFactory m_factory;
    QSize m_itemSize;
    QVariantList m_content;
    QList<QWidget*> m_displayedItems;
};

#pragma once

#include <QStyledItemDelegate>

#include <functional>

namespace mv {

// Paints one row of the backup browser (a tick box, a folder or file symbol, the name, a chevron for
// folders, the size and the date) and answers its clicks: the chevron opens the folder, a click anywhere
// else ticks or unticks the row.
class BackupEntryDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int rowHeight = 30;

    BackupEntryDelegate(std::function<void(const QString& path)> toggle,
        std::function<void(const QString& path)> open, QObject* parent = nullptr);

    // Where a folder row's chevron sits in the row `rect`; empty for a file.
    QRect chevronRect(const QStyleOptionViewItem& option, const QModelIndex& index) const;

    void paint(
        QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
        const QModelIndex& index) override;

private:
    std::function<void(const QString&)> m_toggle;
    std::function<void(const QString&)> m_open;
};

} // namespace mv

#pragma once

#include "google/GoogleDriveItem.h"

#include <QHash>
#include <QList>
#include <QString>

#include <iterator>

namespace mv::GoogleDriveEngine {

// Drive items by path, read like a QHash<QString, GoogleDriveItem>. The items stay in the listing they came
// from, shared with whoever listed them, and the table keeps only each one's position: copying a quarter of a
// million items into hash nodes of their own cost more than all the rest of the indexing.
class RemoteTable {
public:
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using difference_type = qsizetype;
        using value_type = GoogleDriveItem;
        using pointer = const GoogleDriveItem*;
        using reference = const GoogleDriveItem&;

        const_iterator() = default;

        const QString& key() const { return m_position.key(); }
        const GoogleDriveItem& value() const { return (*m_items)[*m_position]; }
        const GoogleDriveItem& operator*() const { return value(); }
        const GoogleDriveItem* operator->() const { return &value(); }
        const_iterator& operator++()
        {
            ++m_position;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++m_position;
            return before;
        }
        bool operator==(const const_iterator& other) const { return m_position == other.m_position; }

    private:
        friend class RemoteTable;
        const_iterator(
            const QList<GoogleDriveItem>* items, QHash<QString, qsizetype>::const_iterator position)
            : m_items(items)
            , m_position(position)
        {
        }

        const QList<GoogleDriveItem>* m_items = nullptr;
        QHash<QString, qsizetype>::const_iterator m_position;
    };
    using iterator = const_iterator;

    RemoteTable() = default;
    explicit RemoteTable(QList<GoogleDriveItem> listing);

    qsizetype size() const { return m_positions.size(); }
    qsizetype count() const { return size(); }
    bool isEmpty() const { return m_positions.isEmpty(); }
    bool contains(const QString& path) const { return m_positions.contains(path); }
    // The item at `path`, or an empty item when there is none.
    GoogleDriveItem value(const QString& path) const;
    QList<QString> keys() const { return m_positions.keys(); }

    const_iterator constFind(const QString& path) const
    {
        return { &m_listing, m_positions.constFind(path) };
    }
    const_iterator find(const QString& path) const { return constFind(path); }
    const_iterator constBegin() const { return { &m_listing, m_positions.constBegin() }; }
    const_iterator constEnd() const { return { &m_listing, m_positions.constEnd() }; }
    const_iterator begin() const { return constBegin(); }
    const_iterator end() const { return constEnd(); }
    const_iterator cbegin() const { return constBegin(); }
    const_iterator cend() const { return constEnd(); }

    // Places a copy of `item` at `path`, replacing what was there. The first insert into a table that still
    // shares its listing copies the listing; a caller that grows a table of its own converts it instead.
    void insert(const QString& path, const GoogleDriveItem& item);
    // Places the item at `position` of the listing the table was made with at `path`, replacing what was
    // there.
    void insertListed(QString path, qsizetype position);
    void reserve(qsizetype size) { m_positions.reserve(size); }
    // Lets go of the listing when the table uses less than half of it, keeping copies of its own items: a
    // small folder in a large Drive should not hold the whole Drive's listing for as long as a run lasts.
    void squeeze();

    // A table of copies, for a caller that grows it.
    explicit operator QHash<QString, GoogleDriveItem>() const;

private:
    QList<GoogleDriveItem> m_listing;
    QHash<QString, qsizetype> m_positions;
};

} // namespace mv::GoogleDriveEngine

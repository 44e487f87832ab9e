#pragma once

#include "model/BackupRunRecord.h"
#include "ui/kit/TypeScale.h"

#include <QFont>
#include <QHash>
#include <QRectF>
#include <QSizeF>
#include <QStringList>

#include <optional>

class QPainter;
class QWidget;

namespace mv {

// One run in the Activity list, painted by the list: a dot of the result's colour, job → destination with
// the result chip and the start time, a line of facts and, when there is one, the error (two lines at most).
// Its height is known from the fonts and the error alone, so the list can place every row without measuring
// the rest; the other texts are measured once, when the row is made. Rows can be made on any thread.
class ActivityDetailRow {
public:
    // The fonts rows are measured and painted with.
    struct Fonts {
        QFont job = kitFont(15, QFont::Medium);
        QFont destination = kitFont(13);
        QFont small = kitFont(12);
        QFont chip = kitFont(12, QFont::Medium);
        // Texts measured in these fonts so far.
        mutable QHash<std::pair<const QFont*, QString>, qreal> widths;
    };
    // A QFont's shared data must not be used by two threads at once: while one of these lives, rows made
    // or measured on its thread use its own copy of the fonts. A thread other than the main one holds one
    // around its work, so the fonts also go before the thread's font cache does.
    class ThreadFonts {
    public:
        ThreadFonts();
        ~ThreadFonts();
        ThreadFonts(const ThreadFonts&) = delete;
        ThreadFonts& operator=(const ThreadFonts&) = delete;

    private:
        Fonts m_fonts;
        const Fonts* m_previous;
    };

    explicit ActivityDetailRow(const BackupRunRecord& record);

    const BackupRunRecord& record() const { return m_record; }
    // The row's height at `width`. The list asks it of every row at each layout, and wrapping the error
    // is costly: the height at the last width asked is kept.
    int height(int width) const;
    // Paints the row into `frame`, in the colours of `widget`'s appearance.
    void paint(QPainter& painter, const QRectF& frame, const QWidget* widget, bool selected) const;

private:
    // Where the first line's pieces go in a row of `width`.
    struct TitleLayout {
        QRectF job;
        QRectF arrow;
        QRectF destination;
        QRectF time;
        QRectF chip;
    };
    TitleLayout titleLayout(qreal width) const;
    void paintChip(QPainter& painter, const QRectF& frame, const QWidget* widget) const;

    BackupRunRecord m_record;
    QString m_result;
    QStringList m_facts;
    std::optional<QString> m_error;
    QString m_time;
    // Text measured once: shaping text is what costs.
    struct Measures {
        qreal job = 0;
        qreal destination = 0;
        qreal time = 0;
        qreal arrow = 0;
        QSizeF chip;
        QList<qreal> facts;
    };
    Measures m_measures;
    mutable int m_heightWidth = -1;
    mutable int m_height = 0;
};

} // namespace mv

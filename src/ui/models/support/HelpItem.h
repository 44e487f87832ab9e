#pragma once

#include <QList>
#include <QString>

namespace mv {

// One troubleshooting topic of the support page: a short stable key, the question and its plain-text answer.
struct HelpItem {
    QString id;
    QString question;
    QString answer;

    bool operator==(const HelpItem&) const = default;

    // The nine topics, in the order the page shows them.
    static const QList<HelpItem>& all();
};

} // namespace mv

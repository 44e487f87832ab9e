#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace mv {

// The size of the job editor's source folder, and whether it lies on an external volume, measured off the
// main thread. Only the answer for the folder asked about last is kept: a slower measurement of an earlier
// folder never shows beside a newer one.
class SourceSizeMeasurement : public QObject {
    Q_OBJECT
public:
    // Answers a folder's size, or none when it gave up. Runs on a worker thread.
    using Measure = std::function<std::optional<qint64>(const QString& path)>;

    // `measure` defaults to a walk that gives up after 1.2 s or 300,000 entries.
    explicit SourceSizeMeasurement(Measure measure = {}, QObject* parent = nullptr);

    // Measures `path`: no size at once for an empty or unusable folder, else loading until the answer.
    void measure(const QString& path);

    std::optional<qint64> size() const { return m_size; }
    bool isOnExternalVolume() const { return m_external; }
    bool isLoading() const { return m_loading; }

Q_SIGNALS:
    void changed();

private:
    void finish(std::optional<qint64> size, bool external);

    Measure m_measure;
    quint64 m_generation = 0; // the measurement whose answer is wanted
    std::optional<qint64> m_size;
    bool m_external = false;
    bool m_loading = false;
};

} // namespace mv

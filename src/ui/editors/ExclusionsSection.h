#pragma once

#include "model/Enumerations.h"

#include <QMap>
#include <QWidget>

class QCheckBox;
class QVBoxLayout;

namespace mv {

class FlowChips;
class JobEditorModel;
class MVButton;
class TextField;
class SectionHeader;

// "Exclusions": the built-in groups as checkboxes, two a line, a field and "Add" for custom patterns, and the
// custom patterns as removable chips. The header counts both.
class ExclusionsSection : public QWidget {
    Q_OBJECT
public:
    explicit ExclusionsSection(JobEditorModel& model, QWidget* parent = nullptr);

    SectionHeader* header() const { return m_header; }
    QCheckBox* checkbox(BuiltInExclusion exclusion) const { return m_boxes.value(exclusion); }
    TextField* patternField() const { return m_field; }
    MVButton* addButton() const { return m_add; }
    // None while there is no custom pattern.
    FlowChips* chips() const { return m_chips; }

private:
    void refresh();

    JobEditorModel& m_model;
    SectionHeader* m_header;
    QMap<BuiltInExclusion, QCheckBox*> m_boxes;
    TextField* m_field;
    MVButton* m_add;
    QVBoxLayout* m_stack;
    FlowChips* m_chips = nullptr;
    QStringList m_shownPatterns;
};

} // namespace mv

#pragma once

#include "operations/NameTemplateQuery.h"

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

// The editor of the storage file name template: the template with its
// fields in Japanese, a button for each field, the name the sample replay
// would get as the template is typed, and a note under the field when the
// template cannot be used (OK is then off). It gives back the template as
// the settings file keeps it.
class TNameTemplateForm : public QDialog {
    Q_OBJECT
public:
    TNameTemplateForm(const NameTemplateQuery &query, QWidget *parent = nullptr);

    // The template once OK was pressed, else nothing.
    std::optional<QString> result() const { return m_result; }

    QLineEdit *EdtNameTemplate;
    QLabel *LblTemplateNote;
    QLabel *LblTemplatePreview;
    QPushButton *BtnTemplateDefault;
    QPushButton *BtnOk;
    QPushButton *BtnCancel;

private:
    void templateChanged();

    std::optional<NameSample> m_sample;
    std::optional<QString> m_result;
};

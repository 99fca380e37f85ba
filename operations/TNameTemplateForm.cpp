#include "operations/TNameTemplateForm.h"

#include "operations/NameTemplate.h"
#include "platform/WidgetKit.h"
#include "platform/WindowFont.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TNameTemplateForm::TNameTemplateForm(const NameTemplateQuery &query, QWidget *parent)
    : QDialog(parent),
      m_sample(query.sample)
{
    setObjectName(QStringLiteral("TNameTemplateForm"));
    setWindowTitle(QStringLiteral("格納ファイル名の形式"));
    setFont(windowFont());
    setModal(true);
    WidgetKit::useButtonFace(this);

    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(QStringLiteral("自動格納、名前の一括変更、コピーの「形式で命名」で付ける名前の形式です。"
                                            "{ } で囲んだ項目がリプレイの内容に置き換わります。"),
                             this);
    intro->setTextFormat(Qt::PlainText);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    EdtNameTemplate = new QLineEdit(NameTemplate::parse(query.templateText).shownText(), this);
    EdtNameTemplate->setObjectName(QStringLiteral("EdtNameTemplate"));
    EdtNameTemplate->setMaxLength(NameTemplate::MaxTemplateLength);
    EdtNameTemplate->setMinimumWidth(480);
    layout->addWidget(EdtNameTemplate);

    LblTemplateNote = new QLabel(this);
    LblTemplateNote->setObjectName(QStringLiteral("LblTemplateNote"));
    LblTemplateNote->setTextFormat(Qt::PlainText);
    WidgetKit::setTextColour(LblTemplateNote, Qt::red);
    layout->addWidget(LblTemplateNote);

    // A button per field puts it at the cursor.
    auto *fields = new QGridLayout;
    const QList<NameTemplate::Field> &all = NameTemplate::fields();
    for (int f = 0; f < all.size(); ++f) {
        auto *button = new QPushButton(all[f].shown, this);
        button->setObjectName(QStringLiteral("BtnField_") + all[f].key);
        button->setToolTip(all[f].help);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, shown = all[f].shown] {
            EdtNameTemplate->insert(u'{' + shown + u'}');
            EdtNameTemplate->setFocus();
        });
        fields->addWidget(button, f / 5, f % 5);
    }
    layout->addLayout(fields);

    LblTemplatePreview = new QLabel(this);
    LblTemplatePreview->setObjectName(QStringLiteral("LblTemplatePreview"));
    LblTemplatePreview->setTextFormat(Qt::PlainText);
    LblTemplatePreview->setWordWrap(true);
    layout->addWidget(LblTemplatePreview);

    auto *buttons = new QHBoxLayout;
    BtnTemplateDefault = new QPushButton(QStringLiteral("既定に戻す(&D)"), this);
    BtnTemplateDefault->setObjectName(QStringLiteral("BtnTemplateDefault"));
    BtnTemplateDefault->setAutoDefault(false);
    BtnOk = new QPushButton(QStringLiteral("OK"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnOk->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setAutoDefault(false);
    buttons->addWidget(BtnTemplateDefault);
    buttons->addStretch(1);
    buttons->addWidget(BtnOk);
    buttons->addWidget(BtnCancel);
    layout->addLayout(buttons);

    connect(EdtNameTemplate, &QLineEdit::textChanged, this, &TNameTemplateForm::templateChanged);
    connect(BtnTemplateDefault, &QPushButton::clicked, this,
            [this] { EdtNameTemplate->setText(NameTemplate::parse(NameTemplate::defaultText()).shownText()); });
    connect(BtnOk, &QPushButton::clicked, this, [this] {
        const NameTemplate edited = NameTemplate::parse(EdtNameTemplate->text().trimmed());
        if (!edited.isValid())
            return;
        m_result = edited.storedText();
        accept();
    });
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    templateChanged();
}

void TNameTemplateForm::templateChanged()
{
    const NameTemplate edited = NameTemplate::parse(EdtNameTemplate->text().trimmed());
    LblTemplateNote->setText(edited.note());
    BtnOk->setEnabled(edited.isValid());
    if (!edited.isValid()) {
        LblTemplatePreview->setText(QString());
    } else if (m_sample) {
        const NameSource source{&m_sample->replay, m_sample->slot, m_sample->fileName};
        LblTemplatePreview->setText(QStringLiteral("例（%1）：%2").arg(m_sample->fileName, edited.fileName(source, {})));
    } else {
        LblTemplatePreview->setText(QStringLiteral("例：リプレイを選ぶと、ここに付く名前を表示します。"));
    }
}

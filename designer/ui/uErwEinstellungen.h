// The extended settings dialog "Erweiterte Formulareinstellungen": encoding,
// IP information, price calculation, error pages and the captcha message.
#pragma once

#include "designer/model/project_document.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QFormLayout;

namespace vq::ui {

class UserQuestions;

class TfrmErwEinstellungen : public QDialog
{
    Q_OBJECT
public:
    TfrmErwEinstellungen(const TExtSettings &settings, UserQuestions &dialogs,
                         QWidget *parent = nullptr);

    // Copies the dialog's values into settings (what "OK" stores).
    void saveTo(TExtSettings &settings) const;

private:
    QLineEdit *addressRow(QFormLayout *form, const QString &label, const QString &name,
                          const QString &text);

    UserQuestions &m_dialogs;
    QComboBox *m_encoding;
    QCheckBox *m_ipInfo;
    QComboBox *m_tax;
    QCheckBox *m_cart;
    QLineEdit *m_ipErrorPage;
    QLineEdit *m_fileErrorPage;
    QLineEdit *m_captchaErrorPage;
    QLineEdit *m_captchaMessage;
};

} // namespace vq::ui

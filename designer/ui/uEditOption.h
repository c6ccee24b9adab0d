// The value dialog of a price option: one value's name and price.
#pragma once

#include "designer/ui/editor_prompts.h"

#include <QDialog>

class QLineEdit;

namespace vq::ui {

class TfrmEditOption : public QDialog
{
public:
    explicit TfrmEditOption(UserQuestions &prompts, QWidget *parent = nullptr);

    void setValue(const QString &name, const QString &priceText);
    QString name() const;
    QString priceText() const;

    // OK checks the name and the price (both) and stays open on a failure.
    void done(int result) override;

private:
    UserQuestions &m_prompts;
    QLineEdit *m_edtName = nullptr;
    QLineEdit *m_edtPrice = nullptr;
};

} // namespace vq::ui

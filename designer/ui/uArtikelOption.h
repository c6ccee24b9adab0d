// The option dialog of an article's input and select options.
#pragma once

#include "designer/model/uOptionField.h"

#include <QDialog>

class QLineEdit;

namespace vq::ui {

class TfrmEditArtikelOption : public QDialog
{
public:
    explicit TfrmEditArtikelOption(QWidget *parent = nullptr);

    void ClearAll();
    void LoadFromObject(const TOptionField &option);
    void SaveToObject(TOptionField &option) const;

private:
    QLineEdit *m_edtName = nullptr;
    QLineEdit *m_edtVorgabe = nullptr;
};

} // namespace vq::ui

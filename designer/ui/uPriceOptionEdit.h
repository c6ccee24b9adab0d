// The price option dialog: a caption and its own list of values with prices,
// taken over by the option only on OK.
#pragma once

#include "designer/editor_rules/editor_rules.h"
#include "designer/ui/editor_prompts.h"

#include <QDialog>

class QLineEdit;
class QTreeWidget;

namespace vq::ui {

class TfrmPriceOption : public QDialog
{
public:
    explicit TfrmPriceOption(UserQuestions &prompts, QWidget *parent = nullptr);

    // Presets the caption and a copy of the values.
    void setOption(const QString &caption, const std::vector<TPriceOptionElement> &values);
    QString caption() const;
    // The values as the option takes them over (prices read back from the
    // shown money texts).
    std::vector<TPriceOptionElement> takeOverValues() const { return m_values.takeOver(); }

    // OK needs a caption.
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addValue();
    void editValue();
    void deleteValue();
    void moveValue(bool up);
    void rebuildList(int selectRow);
    int selectedRow() const;

    UserQuestions &m_prompts;
    PriceValueList m_values;
    QLineEdit *m_edtOptionsName = nullptr;
    QLineEdit *m_edtName = nullptr;
    QLineEdit *m_edtPreis = nullptr;
    QTreeWidget *m_lstOptions = nullptr;
};

} // namespace vq::ui

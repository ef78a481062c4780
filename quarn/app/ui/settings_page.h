#pragma once
// One page of a settings sheet: controls bound to the values they edit, found by their control
// ids as object names, each with its tooltip passed through the program title. Load shows the
// values; Store takes them back, refusing a numeric field whose text its range does not accept.
// Pages with enabling rules override UpdateEnabling, which runs after Load and whenever a bound
// check box or radio button changes. GUI thread only; the bound values must outlive the page.

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quarn/app/numeric_field.h"
#include "quarn/app/ui/control_identity.h"

class IFrameDialogs;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;
class QSpinBox;

class CSettingsPage : public QWidget {
    Q_OBJECT
public:
    CSettingsPage(int dialogId, std::string_view title, IFrameDialogs& dialogs);

    QString Title() const { return m_title; }
    void Load();
    // Returns 1, or 0 with the message in `message` and the field at fault in `field`.
    int Store(std::string& message, QWidget*& field);

protected:
    struct Radio {
        int id;
        std::string_view text;
        std::string_view tip;  // "" for none
    };
    using Loader = std::function<void()>;
    using Storer = std::function<int(std::string& message, QWidget*& field)>;

    virtual void UpdateEnabling() {}

    QCheckBox* AddCheck(int id, std::string_view text, int& value, std::string_view tip);
    // A row of a label (none when "") and the edit.
    QLineEdit* AddEdit(int id, std::string_view label, std::string& value, std::string_view tip);
    QLineEdit* AddPassword(int id, std::string_view label, std::string& value,
                           std::string_view tip);
    QLineEdit* AddNumber(int id, std::string_view label, int& value, IntRange range,
                         std::string_view tip);
    // Arrows beside the number edit `buddy`, stepping within `range`.
    void AddSpin(int id, QLineEdit* buddy, IntRange range);
    // A number edit with arrows of its own that holds it within `range`: a number typed beyond
    // it is taken as the nearer end.
    QSpinBox* AddSpinBox(int id, std::string_view label, int& value, IntRange range,
                         std::string_view tip);
    // An editable combo box whose text is `value`; the page lists its items (SetSortedItems).
    QComboBox* AddCombo(int id, std::string_view label, std::string& value, std::string_view tip);
    // A "..." button beside `field` that puts the chosen file's full path into it; `initial`
    // gives the folder the dialog starts in ("" for the process's current directory).
    QPushButton* AddFileBrowse(int id, QLineEdit* field, std::string_view title,
                               std::string_view filter, std::function<QString()> initial,
                               std::string_view tip);
    // A "..." button beside `field` that puts the chosen folder into it; `initial` gives the
    // folder the picker starts at.
    QPushButton* AddFolderBrowse(int id, QLineEdit* field, std::string_view prompt,
                                 std::function<QString()> initial, std::string_view tip);
    // A titled group of radio buttons; `value` is the index of the checked one.
    QButtonGroup* AddRadios(std::string_view title, std::initializer_list<Radio> radios,
                            int& value);
    // A part the page lays out itself, across the page; `stretch` shares out the spare height.
    void AddWidget(QWidget* widget, int stretch = 0);
    // Ends the page: what follows is empty space.
    void AddStretch();

    // For the page's own layouts: a bound check box, placed by the caller.
    QCheckBox* MakeCheck(int id, std::string_view text, int& value, std::string_view tip);
    // A button that acts at once and is never the sheet's default.
    QPushButton* MakeButton(int id, std::string_view text, std::string_view tip);
    // Enter in `edit` clicks `button` instead of the sheet's OK, so what was typed is not lost
    // to a closing sheet.
    void ClickOnEnter(QLineEdit* edit, QPushButton* button);
    // What Load and Store do for a control the page binds itself.
    void Bind(Loader load, Storer store);
    // A message box over the page captioned with the program title, `text` passed through it;
    // the button pressed.
    int Ask(std::string_view text, int type);

    static void SetEnabled(std::initializer_list<QWidget*> controls, bool enabled);
    // Replaces the combo box's items by `items` in the order a sorted list shows them: without
    // regard to case. The text shown stays.
    static void SetSortedItems(QComboBox* combo, QStringList items);

    IFrameDialogs& m_dialogs;

private:
    QLineEdit* AddLineEdit(int id, std::string_view label, std::string_view tip);
    // A "..." button beside `field` that puts what `choose` gives into it.
    QPushButton* AddBrowseButton(int id, QLineEdit* field, std::string_view tip,
                                 std::function<std::optional<QString>()> choose);
    void AddRow(std::string_view label, QWidget* field);

    QString m_title;
    QGridLayout* m_grid;
    std::vector<Loader> m_loads;
    std::vector<Storer> m_stores;
};

// A folder for a picker to start at: `folder` resolved against the project directory, or the
// project directory when it is empty.
QString FolderOrProjectDirectory(std::string_view folder);

// The texts of `texts`, in order.
QStringList ToStrings(const std::vector<std::string>& texts);

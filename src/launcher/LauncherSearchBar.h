#pragma once

#include <QWidget>

class QBoxLayout;
class QButtonGroup;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpacerItem;

// The row above the main list: the Find box and the choice of what the list shows (all the
// items, the favourites, the recently used), three radio buttons that the arrow keys move
// between. Where the row would leave Find too narrow for its hint (a small screen at a high
// scale), the choice moves below it.
//
// Keys in Find: Enter asks for the first match (Accepted), Down and Page Down go on to the
// list (LeaveForList), Escape clears the text, or when it is empty goes back to the list.
class LauncherSearchBar : public QWidget {
    Q_OBJECT
public:
    explicit LauncherSearchBar(QWidget* parent = nullptr);

    QString Text() const;
    // LauncherFilter::Scope of the chosen button.
    int Scope() const;
    void SetScope(int scope);
    void Clear();
    // Puts the focus into Find with `typed` added to its text.
    void StartTyping(const QString& typed);
    void FocusFind();

    QLabel* lblFind = nullptr;
    QLineEdit* txtFind = nullptr;
    QLabel* lblShow = nullptr;
    QRadioButton* optAll = nullptr;
    QRadioButton* optFavourites = nullptr;
    QRadioButton* optRecent = nullptr;

signals:
    void Changed();
    void Accepted();
    void LeaveForList();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The width at which Find, with its whole hint, and the choice fit in one row.
    int OneRowWidth() const;

    QButtonGroup* mScope = nullptr;
    QBoxLayout* mRows = nullptr;
    QHBoxLayout* mFindRow = nullptr;
    QHBoxLayout* mShowRow = nullptr;
    QSpacerItem* mGap = nullptr;
};

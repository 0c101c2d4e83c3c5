#pragma once

#include <QList>
#include <QStringList>
#include <QTreeView>

class ImageList;
class PrincipalModel;

// The principal picker's list: a report of two columns (the name and the SID), a picture of
// the image list per item and a tag. Built for domains of tens of thousands of accounts: the
// items are handed over in one call and a filter narrows what is shown without copying them.
// Items are numbered from 1 among those shown.
class PrincipalList : public QTreeView {
    Q_OBJECT
public:
    struct Item {
        QString text;
        QString sid;
        QString tag;
        int picture = 0;
    };

    explicit PrincipalList(QWidget* parent = nullptr);
    ~PrincipalList() override;

    void SetColumnHeaders(const QStringList& headers);
    QStringList ColumnHeaders() const;
    void SetSmallIcons(ImageList* pictures);

    // Replaces every item; the filter stays.
    void SetItems(QList<Item> items);
    // Shows only the items whose name or SID contains `text`, letter case ignored; an empty
    // text shows all. The first item shown is selected.
    void Filter(const QString& text);

    // Items shown.
    int Count() const;
    QString Text(int index) const;
    QString Tag(int index) const;
    // Sub-item `column` (1 = the SID).
    QString SubItem(int index, int column) const;
    int Icon(int index) const;
    QIcon ShownPicture(int index) const;
    // The selected item's number among those shown, 0 when none is selected.
    int SelectedItem() const;
    void SelectItem(int index);

signals:
    // A double click on an item or Enter.
    void Activated();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    PrincipalModel* mModel = nullptr;
};

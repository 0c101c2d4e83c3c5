#pragma once

#include <QWidget>
#include <memory>

class AppContext;
class ImageList;
class ListView;

// The contents of one directory: its subfolders (bold, first), then its files. A double click
// opens a subfolder in a new window of its own and a file with the desktop's default handler.
// Paths use '/' between a folder and a name; a folder path that already ends in '/' (the root)
// gets no second one.
class frmFolderMenu : public QWidget {
    Q_OBJECT
public:
    explicit frmFolderMenu(AppContext& ctx, QWidget* parent = nullptr);
    ~frmFolderMenu() override;

    // Adds the contents of `mStrFolderPath` to the list; `mStrFolderName` is for the title.
    // The list is emptied only when the window is loaded.
    void LoadFolder(const QString& mStrFolderName, const QString& mStrFolderPath);
    void ListView1_DblClick();

    std::unique_ptr<ImageList> ImageList1; // 1 a file, 2 a folder; 24 x 24
    ListView* ListView1 = nullptr;

private:
    void Form_Load();

    AppContext& mCtx;
};

// `folder` followed by the separator and `name`.
QString JoinFolderPath(const QString& folder, const QString& name);

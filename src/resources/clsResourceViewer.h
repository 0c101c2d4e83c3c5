#pragma once

#include <QPointer>
#include <QString>

class AppContext;
class QWidget;
#include "resources/frmViewer.h"

// What the program editors call to let the administrator pick an icon out of an executable.
class clsResourceViewer {
public:
    explicit clsResourceViewer(AppContext& ctx);
    // Unloads a viewer window that is still open.
    ~clsResourceViewer();
    clsResourceViewer(const clsResourceViewer&) = delete;
    clsResourceViewer& operator=(const clsResourceViewer&) = delete;

    // Opens the viewer modally on the program's executable (over `owner`, else the active
    // window) and returns when it has closed. True when Select wrote the chosen icon to
    // AppPaths::TempPicture(); false when the viewer was closed without it (Close, the close
    // box, or a Select that could not write), in which case the file is unchanged.
    bool ShowResources(const QString& programPath, QWidget* owner = nullptr);
    // Stored trimmed in mGlobal::gProgramName and mGlobal::gIconPath.
    void SetProgramName(const QString& name);
    void SetIconPath(const QString& path);
    // True while the viewer window is visible.
    bool ResourceShowing() const;
    // The viewer window while ShowResources runs, else null.
    frmViewer* Viewer() const { return mViewer; }

private:
    AppContext& mCtx;
    QString mUnused;
    QPointer<frmViewer> mViewer;
};

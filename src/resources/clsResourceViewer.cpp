#include "resources/clsResourceViewer.h"

#include "platform/Text.h"
#include "resources/clsQueryStatus.h"
#include "resources/frmViewer.h"
#include "resources/mGlobal.h"
#include "services/AppContext.h"

#include <QApplication>

clsResourceViewer::clsResourceViewer(AppContext& ctx) : mCtx(ctx), mUnused(QString()) {}

clsResourceViewer::~clsResourceViewer() {
    if (mViewer && QCoreApplication::instance())
        delete mViewer;
}

bool clsResourceViewer::ShowResources(const QString& programPath, QWidget* owner) {
    if (!owner)
        owner = QApplication::activeModalWidget();
    if (!owner)
        owner = QApplication::activeWindow();
    if (!owner)
        owner = qobject_cast<QWidget*>(mCtx.mainWindow.data());
    delete mViewer;
    auto* viewer = new frmViewer(mCtx, owner);
    mViewer = viewer;
    viewer->CreateMe(programPath);
    viewer->exec();
    mGlobal::gQueryStatus(mCtx).hideProgress();
    const bool selected = mViewer && mViewer->Selected();
    delete mViewer;
    return selected;
}

void clsResourceViewer::SetProgramName(const QString& name) {
    mGlobal::gProgramName = TrimSpaces(name);
}

void clsResourceViewer::SetIconPath(const QString& path) {
    mGlobal::gIconPath = TrimSpaces(path);
}

bool clsResourceViewer::ResourceShowing() const {
    return mViewer && mViewer->isVisible();
}

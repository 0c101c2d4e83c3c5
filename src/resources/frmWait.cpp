#include "resources/frmWait.h"

#include "widgets/LowColor.h"
#include "widgets/ProgressBar.h"
#include "widgets/ScreenFit.h"

#include <QVBoxLayout>

frmWait::frmWait(bool lowColor, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmWait"));
    setWindowTitle(QStringLiteral("Loading Resources....."));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    prgbar = new ProgressBar(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prgbar);
    setMinimumWidth(320);
    ScreenFit::Keep(this);
    Form_Load(lowColor);
}

void frmWait::Form_Load(bool lowColor) {
    if (lowColor)
        ApplyLowColor(this);
}

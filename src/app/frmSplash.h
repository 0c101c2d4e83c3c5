#pragma once

#include <QList>
#include <QVariant>
#include <QWidget>

class AppContext;
class ProgressBar;
class QLabel;

// The window shown while the program starts: the theme's splash logo, the version, a progress
// bar and six stage indicators that turn from grey to colour as the start-up reports them.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(AppContext& ctx, QWidget* parent = nullptr);

    // Marks stage `IntStatus` (1 Start, 2 Cfg, 3 User, 4 Prg, 5 AD, 6 GUI) as reached.
    QVariant ChangeImages(short IntStatus);
    // Draws the grey version of the source's picture into the destination.
    void Greyscale(QLabel*& destination, QLabel*& source);
    // The grey level of a colour given as 0x00BBGGRR; -1 (no colour) gives 0.
    static short GreyLevel(qint32 colour);

    QLabel* Image1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblVersion = nullptr;
    ProgressBar* prgbar = nullptr;
    QLabel *picStartGray = nullptr, *picStartReg = nullptr;
    QLabel *picCfgGray = nullptr, *picCfgReg = nullptr;
    QLabel *picUserGray = nullptr, *picUserReg = nullptr;
    QLabel *picPrgGray = nullptr, *picPrgReg = nullptr;
    QLabel *picADGray = nullptr, *picADReg = nullptr;
    QLabel *picGUIGray = nullptr, *picGUIReg = nullptr;

    QList<QLabel*> colGrayImages;
    QList<QLabel*> colRegImages;

private:
    void BuildControls();
    void Form_Load();
    void ShowStage(QLabel*& grey, QLabel*& coloured);

    AppContext& mCtx;
    // Loop state of Greyscale, kept by the window.
    short mRow = 0;
    QVariant mColumn;
    short mLastGrey = 0;
};

#pragma once

#include "resources/StdPicture.h"

#include <QFrame>
#include <QImage>
#include <QStringList>
#include <optional>

// A picture box: a framed surface with a background colour, an optional picture shown at its
// top left, and a drawing that persists (pictures painted and lines printed at CurrentX and
// CurrentY) until Cls.
class PictureBox : public QFrame {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    QColor BackColor() const { return mBackColor; }
    void SetBackColor(const QColor& color);

    // The picture property; setting it clears the drawing.
    const std::optional<StdPicture>& Picture() const { return mPicture; }
    void SetPicture(const std::optional<StdPicture>& picture);

    // Clears the drawing and the printed lines; CurrentX and CurrentY return to 0.
    void Cls();
    // Paints `image` at its own size with its top left at (x, y) of the inner area; parts
    // outside the box are cut off.
    void PaintPicture(const QImage& image, int x, int y);
    // Prints one line at (CurrentX, CurrentY) and moves to the start of the next line.
    void Print(const QString& line);
    void Refresh() { update(); }

    int CurrentX = 0;
    int CurrentY = 0;

    // The lines printed since the last Cls, in order.
    const QStringList& PrintedLines() const { return mPrinted; }
    // What the box shows inside its frame: background, picture and drawing.
    QImage Image() const;
    // The picture alone at its own size, over the background colour; a null image without a
    // picture.
    QImage PictureBitmap() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FitCanvas();

    QColor mBackColor;
    std::optional<StdPicture> mPicture;
    QImage mCanvas; // the persistent drawing, transparent where nothing was drawn
    QStringList mPrinted;
};

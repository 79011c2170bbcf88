#pragma once
// The splash window, shown at start-up and as the about box: the program's picture, closed by
// an upper-case L or by its timer five seconds after it opens.

#include <QDialog>
#include <QIcon>
#include <QImage>
#include <QTimer>

#include <cstdint>

class QLabel;

class frmSplash : public QDialog {
    Q_OBJECT
public:
    static constexpr int pictureWidth = 326;  // 4,890 twips
    static constexpr int pictureHeight = 208; // 3,120 twips
    static constexpr int closeAfterMs = 5000;

    explicit frmSplash(QWidget* parent = nullptr);

    // Closes the window for character code 76 ("L") only.
    void Form_KeyPress(uint16_t keyAscii);

    QLabel* imgSplash;
    QTimer* tmrX;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void tmrX_Timer();
};

namespace vw {
// The splash picture: the program's name and version over a small wireframe.
QImage splashPicture();
// The program's window icon: the splash picture's wireframe alone.
QIcon programIcon();
} // namespace vw

#pragma once
// TpvImageForm, the "PV Graph" window: shows the 500 x 500 picture of the
// pressure-volume loop whose white pixels gave the indicated power.

#include <QWidget>

#include "analysis/analyse_capture.h"

class QLabel;

namespace corvane::ui {

class TpvImageForm : public QWidget {
    Q_OBJECT
public:
    explicit TpvImageForm(QWidget* parent = nullptr);

    // Draws the measured loop (outside black, inside white) and makes the picture
    // visible; the picture stays until the next drawing.
    void showPicture(const analysis::PvPicture& picture);
    // "?": closes the window when it is showing, otherwise shows it.
    void toggle();

    QLabel* pvImage() const { return pvImage_; }
    // The picture as drawn; a null image before the first drawing.
    QImage picture() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;  // FormKeyPress

private:
    QLabel* pvImage_;
};

}  // namespace corvane::ui

// The start-up window: the tool's picture, a percentage gauge and a status line. One instance
// for the program, reached through Splash; hidden after start-up, never shown again.
#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

class TSplash final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TSplash)

public:
    explicit TSplash(QWidget* parent = nullptr);

    QProgressBar* ProgressBar1() const { return m_progress; }
    QLabel* Label1() const { return m_status; }

    // The gauge value; values outside 0..100 are held at its ends.
    void setProgress(int percent);

    // Centres the window on its screen.
    void centre();

private:
    QLabel* m_image;
    QProgressBar* m_progress;
    QLabel* m_status;
};

// The one splash window; created by the main window's creation handler.
extern TSplash* Splash;

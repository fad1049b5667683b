// Puts the skin in force on one form: it paints the form's background and gives the labels lying
// on it a text colour that reads on that background, links the skin's link colour, and push
// buttons the skin's look. Lists, fields, grids and text boxes on the form keep the system's look.
// The frame and title bar are the window manager's here.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

class SkinManager;

class SkinProvider final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SkinProvider)

public:
    // form: the widget whose background is the form's (its direct children are the controls).
    SkinProvider(SkinManager* manager, QWidget* form, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void apply();
    void fade();

    SkinManager* m_manager;
    QPointer<QWidget> m_form;
};

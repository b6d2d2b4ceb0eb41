#pragma once

#include "skin/ButtonSkin.h"
#include "skin/SkinFrame.h"
#include "skin/SubclassWnd.h"

#include <QMargins>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

class CSkinCtrl;
class QAction;
class QMenu;
class QMouseEvent;

// The skin of a dialog: takes over its frame (the window system's frame is
// switched off and the theme's strips, caption and title buttons are drawn in
// the dialog's contents margins), skins its standard child controls, and
// carries out moving, sizing, minimising, maximising and the system menu
// through the window system. The dialog's own painting, mouse, drop and close
// handling keep running for its client area (its contents rectangle), which
// is painted with the theme's "DialogBmp" pattern first.
//
// Hooked on the dialog and owned by it. GUI thread.
class CSkinWin : public CSubclassWnd
{
    Q_OBJECT
public:
    // What the frame is doing; follows the window's Qt state, whoever changed it.
    enum State { kNormal = 0, kMaximised = 1, kMinimised = 2 };
    // The system menu's commands (the desktop's values).
    enum Command {
        SC_MINIMIZE = 0xF020,
        SC_MAXIMIZE = 0xF030,
        SC_CLOSE = 0xF060,
        SC_RESTORE = 0xF120
    };

    CSkinWin();
    ~CSkinWin() override;

    // The skin object of window, or null.
    static CSkinWin* Of(const QWidget* window);

    // Reads the frame of the theme (dropping the old images), the shared
    // push-button image, and reloads every wrapped control. False when the
    // frame did not load completely: an installed frame then hands the dialog
    // back to the window system's frame and passes every event on unchanged.
    bool LoadSkin(const QString& themePath);
    // Hooks window and takes over its frame; refused (false) for a null window
    // or a frame that is not loaded. Call before the dialog is first shown:
    // its resizability and its minimise and maximise hints are taken from it
    // as they are now.
    bool InstallSkin(QWidget* window);
    // Wraps child when its exact class is one of the skinned kinds (SkinWrap,
    // sliders, lists, tab controls); the new control or null.
    CSkinCtrl* AddControl(QWidget* child);
    // AddControl on every descendant of window as it is now (not inside
    // compound widgets such as spin boxes and item views).
    void AddControls(QWidget* window);
    bool ControlsAdded() const { return !m_first; }

    const SkinFrame& Frame() const { return m_frame; }
    const ButtonSkin& Buttons() const { return m_buttonSkin; }
    const QString& ThemePath() const { return m_themePath; }
    SkinFrame::Hints Hints() const { return m_hints; }
    int CurrentState() const { return m_state; }
    bool IsActive() const { return m_active; }
    int HoverHit() const { return m_hover; }
    int PressedHit() const { return m_pressed; }
    // The hit code of a point in the dialog's own coordinates.
    int HitTest(const QPoint& point) const;
    // The caption band as it is painted now.
    QImage CaptionImage() const;
    int ControlCount() const;

    // The window's system menu. A dialog may add items of its own and connect
    // to their triggered signals; the skin's items carry their Command as data.
    QMenu* SystemMenu();
    // Enables the menu's items for the current state, then pops it up at
    // globalPos.
    void ShowSystemMenu(const QPoint& globalPos);
    void UpdateSystemMenu();

    void Maximize();
    void Restore();
    void Minimize();

protected:
    bool WindowProc(QEvent* event) override;

private:
    struct Control
    {
        QPointer<QObject> object; // the control's hook, gone with its widget
        CSkinCtrl* control;
    };

    QWidget* Dialog() const { return Window(); }
    // Puts the loaded frame on the dialog (or gives the window system's back).
    void ApplyFrame();
    void SetClientMargins(const QMargins& margins);
    void UpdateShape();
    void RepaintFrame();
    void Paint(QEvent* event);
    void OnCommand(QAction* action);
    bool OnPress(QMouseEvent* event);
    bool OnRelease(QMouseEvent* event);
    bool OnMove(QMouseEvent* event);
    bool OnDoubleClick(QMouseEvent* event);
    void SetHover(int hit);
    void StartMoveOrResize(int hit, const QPoint& globalPos);
    void FollowState();

    SkinFrame m_frame;
    ButtonSkin m_buttonSkin;
    QString m_themePath;
    QString m_title;
    std::vector<Control> m_controls;
    SkinFrame::Hints m_hints;
    Qt::WindowFlags m_standardFlags;
    QMargins m_standardMargins;
    QMargins m_frameMargins; // what ApplyFrame added to the dialog's margins
    QSize m_standardMinimum;
    QPointer<QMenu> m_menu;
    int m_state = kNormal;
    int m_hover = 0;
    int m_pressed = 0;
    int m_last = 0;
    bool m_active = false;
    bool m_first = true;
    bool m_installed = false;
    bool m_framed = false; // the dialog wears the theme's frame
    bool m_translucent = false;
    bool m_cursorSet = false;
    // The last left press began a move, a resize or the system menu: its
    // release belongs to them and works no title button.
    bool m_pressTaken = false;
    // A move or resize carried out here because the window system refused it.
    int m_dragHit = 0;
    QPoint m_dragStart;
    QRect m_dragGeometry;
};

// Gives window its skin from the theme file at themePath: the first call
// creates the skin object, installs it when the frame loads and wraps the
// window's children; a later call loads the theme anew for the frame and every
// wrapped control. Controls created after the first call stay standard.
// Returns 1.
int ApplySkin(const QString& themePath, QWidget* window);

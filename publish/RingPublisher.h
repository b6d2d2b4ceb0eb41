#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class CRingJob;
class CSimpleProgress;
class IMessageSink;
class IQuestionBox;
class IUrlOpener;
class QDialog;
class QWidget;
class RequestCancel;

// The ring service's side of a program's ring road, one copy for both
// programs:
// - on the GUI thread, before a ring job starts: the library path of a ring
//   name with its replace question, and the fee step of an upload (login, fee
//   query, the month-plan offer);
// - on the ring worker: the multipart upload of a ring's two files, with the
//   busy panel following its progress, and the message of its reply.
// What differs between the programs is injected: the login step, what a lost
// login clears, how a modal dialog is run and how the month-order dialog is
// skinned.
//
// Made on the GUI thread, as a child of the program's window (the parent of
// the dialogs it runs). Everything it does for the worker on the GUI thread
// goes there through OnGui and is skipped once Close() ran. The window joins
// its ring worker before the publisher goes.
class CRingPublisher : public QObject
{
    Q_OBJECT
public:
    // Asks for the login unless logged in; true when logged in. GUI thread.
    using LoginStep = std::function<bool()>;
    // Runs a modal dialog; true for OK. GUI thread.
    using DialogRunner = std::function<bool(QDialog& dialog)>;
    // Dresses a dialog before it runs (Kelvo applies its dialog skin).
    using DialogSkin = std::function<void(QDialog& dialog)>;

    // The ring lengths the service takes, in ms.
    static constexpr uint32_t kShortestRingMs = 5000;
    static constexpr uint32_t kLongestRingMs = 55000;

    // The user's words for a ring file (or a working file of the job) that
    // could not be written, moved or removed: "写入铃音文件失败！".
    static const QString kRingWriteFailed;
    // What the busy panel says during an upload.
    static const QString kUploading;

    // messages, questions and urls are not owned and must outlive the
    // publisher; window is its parent and the dialogs' parent.
    CRingPublisher(IMessageSink& messages, IQuestionBox& questions, IUrlOpener& urls,
                   QWidget* window);
    ~CRingPublisher() override;

    // Where the messages, the questions and the month plan's page go from now
    // on (not owned). GUI thread.
    void SetMessageSink(IMessageSink& messages) { m_messages = &messages; }
    void SetQuestionBox(IQuestionBox& questions) { m_questions = &questions; }
    void SetUrlOpener(IUrlOpener& urls) { m_urls = &urls; }
    // The program's login step, which the fee step runs first. Unset, the fee
    // step stops at once.
    void SetLoginStep(LoginStep step) { m_loginStep = std::move(step); }
    // Called on the GUI thread when a reply says the service no longer knows
    // the user (401, 403): the program clears its logged-in state there.
    void SetLoginLost(std::function<void()> clear) { m_loginLost = std::move(clear); }
    // How the month-order dialog runs; unset, modally (exec).
    void SetDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }
    // Applied to the month-order dialog after its texts are set, before it
    // runs; unset, it keeps the plain look.
    void SetMonthOrderSkin(DialogSkin skin) { m_monthOrderSkin = std::move(skin); }
    // The window shown during an upload (not owned; a child of the window).
    // Unset, an upload shows none.
    void SetBusyPanel(CSimpleProgress* panel) { m_panel = panel; }

    // GUI thread. The ring library's file for name (".kox" in "MyRing", made
    // when missing). When that file exists the user is asked
    // "『name』已经存在，\r\n要替换它吗？": Cancel gives an empty path, OK sets
    // *replaced to 1 (else it is 0). Empty too when the folder can be neither
    // found nor made (the user is told so).
    QString LibraryPathFor(const QString& name, int* replaced);

    // GUI thread, before an upload job starts: the login step, then the fee
    // query (the window keeps painting while it runs) and what its reply
    // decides: a message and stop, go on, an OK/Cancel question, or the
    // month-plan offer in the month-order dialog. true when the upload may go
    // on. A 401 or 403 (to the query or to the month-plan answer) shows the
    // service's text, calls the login-lost hook and runs the login step at
    // once: logged in again, the fee step starts afresh; the login cancelled,
    // it stops.
    bool QueryRingFee();

    // GUI thread: the three ring commands once their dialog ran OK. Each
    // fills job (name, path, mode, flags) and returns true when the job may
    // start, false when the command ends (the user cancelled or was told).
    // The selection upload goes to the library's ring for name when
    // addToLibrary (asking before replacing one), else to workRing, after
    // the fee step.
    bool PrepareSelectionUpload(const QString& name, bool addToLibrary, bool share,
                                const QString& workRing, CRingJob* job);
    // Into the library under name, asking before replacing; no fee step.
    bool PrepareLibrarySave(const QString& name, CRingJob* job);
    // The library ring at path, uploaded under name, after the fee step.
    bool PrepareFileUpload(const QString& name, const QString& path, bool share, CRingJob* job);

    // Ring worker. Uploads the ring file and the VOX file under name (the
    // files go by base name): the busy panel shows kUploading and follows the
    // percentage, and hides when the request has ended; then the reply's
    // message is shown ("彩铃上传成功！", the service's text, or the failure
    // message). A 401 or 403 shows the service's text, calls the login-lost
    // hook and runs the login step on the GUI thread at once: logged in
    // again, the same files go up again; the login cancelled, it ends. Waits
    // for every message it shows. true only when the service took the ring.
    // Nothing is sent, shown or asked after Close(); Close() during the
    // upload calls it off.
    bool UploadRing(const QString& name, const QString& ringPath, const QString& voxPath,
                    bool share);

    // GUI thread, when the window goes: a running upload is called off at
    // once and every later call of the worker onto the GUI thread is skipped,
    // so the window can wait for its worker. Final.
    void Close();
    bool IsClosing() const { return m_closing; }

    // Ring worker: runs f on the GUI thread and waits (skipped after Close).
    void RunOnGui(const std::function<void()>& f);
    // Ring worker: shows text through the message sink and waits for it.
    void TellFromWorker(const QString& text);

    // Why a decoded ring file of durationMs may not be uploaded, or empty
    // when it may: shorter than 5 s or longer than LongestRingFileMs() gives
    // "彩铃的长度必须控制在 5 - 55秒之内，该铃音文件格式不正确。".
    static QString RingFileLengthProblem(uint32_t durationMs);
    // 55 s and the longest codec frame of any ring rate (2048 samples at
    // 32 kHz: 64 ms): a ring saved from a selection of the longest length
    // decodes up to one frame longer, the silence that fills its last frame.
    static uint32_t LongestRingFileMs();

private:
    enum class Answer { Stop, GoOn, LoginLost };
    // One fee query and what its reply decides.
    Answer AskFee();
    // One upload request and its reply's message.
    Answer SendRing(const QString& name, const QString& ringPath, const QString& voxPath,
                    bool share);
    void OnUploadStarted();
    void OnUploadProgress(int percent);
    void OnUploadFinished();
    void LoginLost();

    IMessageSink* m_messages;
    IQuestionBox* m_questions;
    IUrlOpener* m_urls;
    QWidget* m_window;
    LoginStep m_loginStep;
    std::function<void()> m_loginLost;
    DialogRunner m_runDialog;
    DialogSkin m_monthOrderSkin;
    CSimpleProgress* m_panel = nullptr;

    std::atomic<bool> m_closing{false};
    // The running upload's way to be called off; guarded by m_cancelMutex
    // together with the check of m_closing, so Close() never misses one.
    std::mutex m_cancelMutex;
    std::shared_ptr<RequestCancel> m_cancel;
};

#pragma once

#include "audio/SaveOptions.h"

#include <QFileDialog>

#include <memory>

class IMessageSink;
class IQuestionBox;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// The save-as dialog of the mix: the desktop's file dialog (Qt's own, so the
// extra controls can join its layout) with a check box for saving only the
// selection, a save template list and, for MP3, a customise button that opens
// the MP3 options. On OK, Options() holds what the save driver needs.
//
// The caller sets the selection and total lengths before running it. Typed
// paths are taken as in any file dialog. Refusals (a bad file name, a folder
// that does not exist, a ring-format WAV longer than 55 s) go to the message
// sink and keep the dialog open; before replacing a file, the file the save
// will write, extension added, the user is asked. GUI thread only.
class CWaveSaveDialog : public QFileDialog
{
    Q_OBJECT
public:
    // messages: where refusals go; questions: where the overwrite question
    // goes. Not owned; nullptr shows them in message boxes.
    explicit CWaveSaveDialog(QWidget* parent = nullptr, IMessageSink* messages = nullptr,
                             IQuestionBox* questions = nullptr);
    ~CWaveSaveDialog() override;

    // ms; 0 means there is no selection.
    void SetSelectionLength(int ms) { m_selectionMs = ms; }
    // ms, the length of the whole mix.
    void SetTotalLength(int ms) { m_totalMs = ms; }
    const SaveOptions& Options() const { return m_options; }

    // Runs each time the dialog is shown: template list, customise button and
    // the selected-part box as the selection allows.
    void OnInitDialog();
    // The user picked another file type.
    void OnTypeChange();
    // The user confirmed a name: true stores the choice (after asking before
    // replacing a file), false keeps the dialog open.
    bool OnFileNameOK();
    // Opens the MP3 options window-modal; its OK copies them into the options.
    void OnCustomize();

    // A folder (typed, picked in the list, "..") is entered as usual; a file
    // goes through OnFileNameOK before the base dialog's own checks.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    int FilterIndex() const;
    QString TypedName() const;
    void FillTemplates();

    std::unique_ptr<IMessageSink> m_ownMessages;
    IMessageSink* m_messages;
    std::unique_ptr<IQuestionBox> m_ownQuestions;
    IQuestionBox* m_questions;
    SaveOptions m_options;

    QPushButton* m_customize;
    QComboBox* m_templates;
    QCheckBox* m_selectedPart;
    QLineEdit* m_nameEdit;
    int m_filterIndex = 2; // counted from 1, as in the filter list: 1 MP3, 2 WAV
    int m_selectionMs = 0;
    int m_totalMs = 0;
};

#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

// The MP3 options of the save dialog's customise button: the ID3 tag texts
// and the encoder's bitrate, sampling frequency and channel mode, which OK
// turns into the encoder's extra options. Starts from the defaults each time
// (tags on, texts empty, every list at "默认"). GUI thread only.
class CMP3CustDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CMP3CustDialog(QWidget* parent = nullptr);

    // Read after OK.
    int SaveTags() const { return m_saveTags; }
    QString Title() const { return m_title; }
    QString Artist() const { return m_artist; }
    QString Album() const { return m_album; }
    QString Year() const { return m_year; }
    QString Copyright() const { return m_copyright; }
    QString Comment() const { return m_comment; }
    QString Genre() const { return m_genre; }
    QString EncoderOptions() const { return m_encoderOptions; }

    // OK: reads the controls and builds the encoder options.
    void accept() override;

    // The 148 genre names in ID3v1 order (number 0 first).
    static const QStringList& Genres();

private:
    void OnSaveTags();

    int m_saveTags = 1;
    QString m_title;
    QString m_artist;
    QString m_album;
    QString m_year;
    QString m_copyright;
    QString m_comment;
    QString m_genre;
    int m_bitrateIndex = 0;
    int m_modeIndex = 0;
    int m_frequencyIndex = 0;
    QString m_encoderOptions;

    QCheckBox* m_saveTagsBox;
    QLineEdit* m_titleEdit;
    QLineEdit* m_artistEdit;
    QLineEdit* m_albumEdit;
    QComboBox* m_genreCombo;
    QLineEdit* m_yearEdit;
    QLineEdit* m_copyrightEdit;
    QPlainTextEdit* m_commentEdit;
    QLineEdit* m_descriptionEdit;
    QComboBox* m_bitrateCombo;
    QComboBox* m_frequencyCombo;
    QComboBox* m_modeCombo;
};

// The encoder options of the chosen entries, joined in the order bitrate,
// frequency, mode (" -b 128 --resample 22.05 -m m"). An index outside its list
// counts as entry 0, "默认", which adds nothing.
QString Mp3EncoderOptions(int bitrateIndex, int frequencyIndex, int modeIndex);

// The entry lists as the dialog shows them.
QStringList Mp3BitrateEntries();
QStringList Mp3FrequencyEntries();
QStringList Mp3ModeEntries();

// The entry chosen in an editable combo box: -1 when the text in its edit
// field is not the selected entry's (the user typed something else).
int ChosenEntry(const QComboBox& combo);

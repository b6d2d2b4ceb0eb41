#pragma once

#include <QString>

class ITimelineHost;

// One undoable step of timeline editing. A record that took a track or clip
// out of the document owns it until it puts it back; Release (or deleting the
// record) frees what it owns. Undo and Redo return 1 when they did their work.
class CEditRecord
{
public:
    explicit CEditRecord(QString name = QStringLiteral("未知的操作")) : m_name(std::move(name)) {}
    virtual ~CEditRecord() = default;

    CEditRecord(const CEditRecord&) = delete;
    CEditRecord& operator=(const CEditRecord&) = delete;

    virtual int Undo() { return 0; }
    virtual int Redo() { return 0; }
    // Frees the track or clip the record owns, if any.
    virtual void Release() {}

    const QString& GetName() const { return m_name; }
    void SetName(const QString& name) { m_name = name; }
    void SetOwner(ITimelineHost* owner) { m_owner = owner; }
    ITimelineHost* GetOwner() const { return m_owner; }

private:
    QString m_name;
    ITimelineHost* m_owner = nullptr;
};

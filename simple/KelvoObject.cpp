#include "simple/KelvoObject.h"

#include "simple/KelvoApp.h"

const char* const CKelvoObject::kObjectPath = "/KelvoObject";
const char* const CKelvoObject::kInterface = "org.zuvo.Kelvo.IKelvoObject";

CKelvoObject::CKelvoObject(CKelvoApp& app, QObject* parent) : QObject(parent), m_app(app) {}

void CKelvoObject::SetUserInfo(const QString& uid, const QString& ticket)
{
    m_app.SetUserInfo(uid, ticket);
}

void CKelvoObject::OpenFile(const QString& filename)
{
    m_app.OpenFile(filename);
}

void CKelvoObject::CloseApp()
{
    m_app.CloseApp();
}

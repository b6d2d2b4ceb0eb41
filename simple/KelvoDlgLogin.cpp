// The login step the ring road's fee query asks for.
#include "simple/KelvoDlg.h"

#include "publish/LoginDialog.h"

bool CKelvoDlg::EnsureLoggedIn()
{
    if (!m_loggedIn) {
        CLoginDialog dialog(m_messages, this);
        if (RunRingDialog(dialog) && dialog.IsLoggedIn()) {
            m_loggedIn = 1;
            m_loginId = dialog.Mobile();
        }
    }
    return m_loggedIn != 0;
}

#include "skin/SkinCtrl.h"

CSkinCtrl::~CSkinCtrl() = default;

void CSkinCtrl::RefreshSkin() {}

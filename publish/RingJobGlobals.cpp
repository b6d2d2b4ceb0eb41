#include "publish/RingJobGlobals.h"

std::atomic<int> g_bRingJobBusy{0};
CListMyRing* g_pRingList = nullptr;

#pragma once

#include <atomic>

class CListMyRing;

// Brevanta's ring road state, shared by the frame's ring commands and the
// ring library list.

// 1 while a ring worker builds or uploads a ring. Claimed on the GUI thread
// before the worker starts and cleared on every exit path of the job.
extern std::atomic<int> g_bRingJobBusy;

// The resource pane's ring library list, where the ring road adds the rings it
// saves; none before the pane is set up and after it is gone. GUI thread only.
extern CListMyRing* g_pRingList;

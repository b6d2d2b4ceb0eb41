// Creates a few sample stores, writes this process's id into each and prints
// their paths, then waits for its stdin to close before checking the contents
// were left alone by any other process.
#include "audio/MappedTempFile.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

int main()
{
    const pid_t self = getpid();
    std::vector<std::unique_ptr<CMappedTempFile>> stores;
    for (int i = 0; i < 20; ++i) {
        auto store = CMappedTempFile::Create(sizeof self);
        if (!store)
            return 2;
        CMappedView view = store->MapView(0, sizeof self);
        std::memcpy(view.data(), &self, sizeof self);
        std::printf("%s\n", store->GetPath().toLocal8Bit().constData());
        stores.push_back(std::move(store));
    }
    std::fflush(stdout);
    char c;
    while (read(STDIN_FILENO, &c, 1) > 0) {
    }
    for (const auto& store : stores) {
        pid_t seen = 0;
        std::memcpy(&seen, store->MapView(0, sizeof seen).data(), sizeof seen);
        if (seen != self)
            return 1;
    }
    return 0;
}

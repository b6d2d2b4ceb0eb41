// Prints its working folder, leaves a file in it and exits normally.
#include "platform/WorkingFolder.h"

#include <QFile>

#include <cstdio>

int main()
{
    const QString folder = WorkingFolder::Path();
    if (folder.isEmpty())
        return 1;
    QFile file(WorkingFolder::FilePath("~TMPREC.WAV"));
    if (!file.open(QIODevice::WriteOnly) || file.write("RIFF") != 4)
        return 1;
    std::puts(QFile::encodeName(folder).constData());
    return 0;
}

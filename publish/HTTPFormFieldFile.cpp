#include "publish/HTTPFormFieldFile.h"

#include <utility>

CHTTPFormFieldFile::CHTTPFormFieldFile(std::string name, std::string filePath)
    : m_name(std::move(name)), m_filePath(std::move(filePath))
{
}

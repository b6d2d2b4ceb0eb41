#pragma once

#include <string>

// One file field of a multipart upload: the field's name (bytes, sent as
// given) and the local path of the file whose contents make the part.
class CHTTPFormFieldFile
{
public:
    CHTTPFormFieldFile() = default;
    CHTTPFormFieldFile(std::string name, std::string filePath);

    const std::string& GetName() const { return m_name; }
    const std::string& GetFilePath() const { return m_filePath; }
    void SetName(const std::string& name) { m_name = name; }
    void SetFilePath(const std::string& filePath) { m_filePath = filePath; }

private:
    std::string m_name;
    std::string m_filePath;
};

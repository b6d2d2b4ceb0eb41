#pragma once

#include <string>

// One text field of a form request. Name and value are bytes, sent as given:
// the caller converts them to the encoding the service expects.
class CHTTPFormFieldText
{
public:
    CHTTPFormFieldText() = default;
    CHTTPFormFieldText(std::string name, std::string value);

    const std::string& GetName() const { return m_name; }
    const std::string& GetValue() const { return m_value; }
    void SetName(const std::string& name) { m_name = name; }
    void SetValue(const std::string& value) { m_value = value; }

private:
    std::string m_name;
    std::string m_value;
};

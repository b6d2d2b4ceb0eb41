#include "publish/HTTPFormFieldText.h"

#include <utility>

CHTTPFormFieldText::CHTTPFormFieldText(std::string name, std::string value)
    : m_name(std::move(name)), m_value(std::move(value))
{
}

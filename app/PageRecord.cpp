#include "PageRecord.h"

#include <utility>

PageRecord::PageRecord(std::string name, PageBase* page)
    : m_strName(std::move(name))
    , m_pPage(page)
{
}

PageRecord::~PageRecord() = default;

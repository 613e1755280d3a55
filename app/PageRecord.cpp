#include "PageRecord.h"

namespace {
int g_nLiveRecords = 0;
}

PageRecord::PageRecord(std::string name, PageBase* page)
    : m_strName(std::move(name))
    , m_pPage(page)
{
    ++g_nLiveRecords;
}

PageRecord::~PageRecord()
{
    --g_nLiveRecords;
}

int PageRecord::LiveCount()
{
    return g_nLiveRecords;
}

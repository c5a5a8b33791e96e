// The stop-list extraction against one plain search over the same page.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/ratio_reporter.h"
#include "pinyin/char_code.h"
#include "query/station_list.h"

namespace {

// A line page of about `units` code units: markup and Chinese prose around a
// script whose stop records fill most of it.
std::u16string LinePage(std::size_t units) {
  const std::u16string head =
      u"<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\"><title>济南K55路"
      u"公交线路</title><link rel=\"stylesheet\" href=\"/css/site.css\"></head><body>"
      u"<div class=\"nav\"><a href=\"/\">首页</a> &gt; <a href=\"/jinan/\">济南公交</a></div>"
      u"<p>首末班时间：6:00-21:30，票价：1元，支持刷卡。途经主要道路与站点如下。</p>\n";
  const char16_t* names[] = {u"济南火车站", u"经四纬二", u"大观园",     u"泉城广场",
                             u"省立医院",   u"千佛山",   u"燕山立交桥", u"洪家楼"};
  std::u16string page;
  while (page.size() < units / 4) page += head;
  page += u"<script type=\"text/javascript\">var line = {stations:[";
  for (std::size_t i = 0; page.size() < units * 9 / 10; ++i) {
    page += i ? u"," : u"";
    page += u"{name:'";
    page += names[i % 8];
    page += u"',strlatlon:'HRRRIJWVRGGIT117.0" + std::u16string(1, u'0' + i % 10) + u"|36.66'}";
  }
  page += u"]};</script>";
  while (page.size() < units) page += u"<div class=\"footer\">示例数据 © 2026</div>\n";
  return page;
}

void Extract(benchmark::State& state) {
  const std::u16string page = LinePage(static_cast<std::size_t>(state.range(0)));
  Pinyin::CharCodes();  // built once per process, not per page
  for (auto _ : state) benchmark::DoNotOptimize(Query::ExtractStationList(page));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size() * 2));
}

void FindPass(benchmark::State& state) {
  const std::u16string page = LinePage(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(page.find(u"\uFFFF}]}"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size() * 2));
}

BENCHMARK(Extract)->Arg(32 << 10)->Arg(1 << 20);
BENCHMARK(FindPass)->Arg(32 << 10)->Arg(1 << 20);

}  // namespace

int main(int argc, char** argv) {
  return Bench::RunAndCompare(
      argc, argv,
      {{"Extract/32768", "FindPass/32768", 4.0}, {"Extract/1048576", "FindPass/1048576", 4.0}});
}

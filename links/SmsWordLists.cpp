#include "links/SmsWordLists.h"

#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "core/HanziString.h"

namespace {

// Searched in this order; within a list the first word found is reported.
const char* const kList1[] = {
    "代开发票",   "发票代开",   "增值税发票", "出售发票",     "办证",         "办假证",
    "假证件",     "假文凭",     "假学历",     "刻章",         "私刻公章",     "代办信用卡",
    "信用卡套现", "套现",       "网络赌博",   "赌博",         "赌场",         "博彩",
    "六合彩",     "时时彩",     "百家乐",     "老虎机",       "赌球",         "外围投注",
    "私彩",       "地下彩票",   "特码",       "彩票内幕",     "包中奖",       "稳赚不赔",
    "中奖号码",   "中奖通知",   "恭喜您中奖", "您已中奖",     "领取奖金",     "奖金已到",
    "手续费",     "保证金",     "先付定金",   "汇款到",       "转账到",       "安全账户",
    "资金冻结",   "账户冻结",   "涉嫌洗钱",   "洗钱",         "公检法",       "通缉令",
    "逮捕令",     "法院传票",   "冒充",       "客服退款",     "退税",         "退费",
    "刷单",       "刷信誉",     "兼职刷单",   "日赚",         "日入",         "轻松月入",
    "高额回报",   "原始股",     "内幕消息",   "荐股",         "黑马股",       "涨停板",
    "虚拟货币",   "传销",       "拉人头",     "资金盘",       "非法集资",     "高利贷",
    "裸贷",       "校园贷",     "无抵押贷款", "快速放款",     "黑户贷款",     "贷款包过",
    "网贷",       "套路贷",     "催收",       "讨债",         "私家侦探",     "调查婚外情",
    "窃听器",     "窃听",       "监听",       "定位手机",     "手机定位",     "查开房",
    "查通话记录", "短信群发器", "伪基站",     "改号软件",     "木马",         "黑客",
    "盗号",       "破解密码",   "银行卡复制", "克隆卡",       "信用卡复制",   "身份证复制",
    "出售身份证", "买卖银行卡", "银行卡出售", "出售个人信息", "公民信息",     "信息出售",
    "毒品",       "冰毒",       "海洛因",     "大麻",         "摇头丸",       "吗啡",
    "鸦片",       "可卡因",     "麻古",       "k粉",          "迷药",         "迷幻药",
    "迷情药",     "催情药",     "蒙汗药",     "听话水",       "失忆水",       "安眠药出售",
    "麻醉药",     "枪支",       "仿真枪",     "气枪",         "猎枪",         "手枪",
    "子弹",       "弹药",       "军火",       "炸药",         "雷管",         "爆炸物",
    "管制刀具",   "弩",         "电击器",     "防身电棍",     "办理枪证",     "色情",
    "黄色网站",   "成人电影",   "一夜情",     "援交",         "包夜",         "上门服务",
    "特殊服务",   "按摩服务",   "小姐服务",   "找小姐",       "裸聊",         "激情视频",
    "艳照",       "偷拍",       "走私",       "水货汽车",     "私募基金内幕", "器官买卖",
    "卖肾",       "代孕",       "代考",       "替考",         "考试答案",     "考题答案",
    "作弊器",     "隐形耳机",   "枪手代考",   "论文代写",     "代写论文",     "学位证",
    "买分",       "卖分",       "驾照销分",   "罚单处理",     "移民担保",     "签证担保",
    "偷渡",       "假币",       "伪钞",       "高仿币",       "人民币出售",   "出售假钞",
    "彩票预测",   "机选必中",   "一码中特",   "必中",         "包赢",         "稳赢",
    "返利",       "无限返利",   "拉下线",     "加盟费",       "投资回报",     "月息",
    "日息",       "利滚利",     "借钱不还",   "暴力催收",     "追债公司",     "传真诈骗",
    "电话诈骗",   "网络诈骗",   "冒充领导",   "冒充亲友",     "猜猜我是谁",   "我是你领导",
    "急需用钱",   "出车祸",     "住院急用",   "绑架",         "赎金",         "敲诈",
    "勒索",       "恐吓",       "报复",       "杀人",         "砍人",         "自杀",
    "自残",       "gambling",   "casino",     "lottery",      "jackpot",      "viagra",
    "cialis",     "porn",       "escort",     "bitcoin",      "investment",   "forex",
    "winner",     "prize",      "claim",
};

const char* const kList2[] = {
    "转发给",
    "请转发",
    "不转发",
    "转发此短信",
};

const char* const kList3[] = {
    "中国移动", "中国联通",   "中国电信", "中国网通", "中国铁通", "移动梦网",
    "联通在信", "全球通",     "神州行",   "动感地带", "如意通",   "新势力",
    "小灵通",   "联通新时空", "移动公司", "联通公司", "10086",    "10010",
    "10000",    "10060",      "12580",    "1860",     "1861",     "10050",
    "12590",    "1259",       "1258",     "17951",    "17911",
};

} // namespace

const char* const* GetSmsWordList(int nList, int& nCount) {
    switch (nList) {
    case 1:
        nCount = static_cast<int>(std::size(kList1));
        return kList1;
    case 2:
        nCount = static_cast<int>(std::size(kList2));
        return kList2;
    case 3:
        nCount = static_cast<int>(std::size(kList3));
        return kList3;
    default:
        nCount = 0;
        return nullptr;
    }
}

namespace {

// The words lower-cased once, list by list.
const std::vector<std::vector<std::string>>& LoweredLists() {
    static const std::vector<std::vector<std::string>> lists = [] {
        std::vector<std::vector<std::string>> out;
        for (int list = 1; list <= kSmsWordListCount; ++list) {
            int count = 0;
            const char* const* words = GetSmsWordList(list, count);
            std::vector<std::string> lowered;
            for (int i = 0; i < count; ++i) {
                CString word(words[i]);
                word.MakeLower();
                lowered.emplace_back(word.GetString());
            }
            out.push_back(std::move(lowered));
        }
        return out;
    }();
    return lists;
}

} // namespace

int FindFilteredWord(const CString& content, CString& strFound) {
    CString lowered(content);
    lowered.MakeLower();
    const std::string_view text(lowered.GetString(), static_cast<size_t>(lowered.GetLength()));
    // A word is found only where a character starts, never from the second byte of one.
    std::vector<bool> starts(text.size() + 1, false);
    for (size_t pos = 0; pos < text.size();) {
        starts[pos] = true;
        pos += IsDoubleByteLead(static_cast<unsigned char>(text[pos])) ? 2 : 1;
    }
    const auto& lists = LoweredLists();
    for (size_t list = 0; list < lists.size(); ++list) {
        for (const std::string& word : lists[list]) {
            for (size_t at = text.find(word); at != std::string_view::npos;
                 at = text.find(word, at + 1)) {
                if (starts[at]) {
                    strFound += word.c_str();
                    return static_cast<int>(list) + 1;
                }
            }
        }
    }
    return 0;
}

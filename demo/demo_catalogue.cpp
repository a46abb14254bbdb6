// The demo catalogue: five novels of our own. The prose is put together from a fixed pool of
// clauses by a seeded generator, so every build serves the same bytes.
#include "demo/demo_catalogue.h"

#include <cstdint>
#include <string>

#include "text/encoding.h"

namespace pel::demo {

namespace {

// Clauses of the generated prose. None of them holds an ASCII character, "第" (chapter titles
// start with it and the program removes every copy of a title from its chapter) or any of the
// watermark words the sites put into their pages.
constexpr const char* kClauses[] = {
    "远处的山脊上还压着一层薄雾",
    "他把那封没有寄出的信折好放进怀里",
    "巷口卖豆花的老人照旧支起了摊子",
    "风从河面上吹过来带着一点潮湿的凉意",
    "她站在檐下看雨一直落到黄昏",
    "灯笼在门楣下轻轻摇晃",
    "马蹄声在青石路上敲得很远",
    "谁也没有想到这一别竟是十年",
    "院子里那棵老槐树又开了花",
    "他忽然明白师父当年为什么不肯多说一句",
    "窗外的星子一颗一颗亮了起来",
    "渡口的船夫收起竹篙望着对岸",
    "城门楼上的钟声响了三下",
    "她把剑穗重新系好转身走进夜色",
    "炉火映着每个人的脸",
    "账房先生拨着算盘一声不吭",
    "少年咬着牙把最后一担水挑进了院门",
    "旧书页里夹着一片早已干透的枫叶",
    "山路越走越窄两旁的松林越来越密",
    "茶已经凉了却没有人起身去添",
    "远方传来几声犬吠又归于寂静",
    "他低声说了一句便再没有回头",
    "驿站的墙上写满了过客留下的诗句",
    "江面上的月光碎成了一片一片",
    "她笑了笑说这条路她从小就认得",
    "屋檐上的积雪在午后慢慢化开",
    "那人的背影很快消失在人群里",
    "铁匠铺里叮叮当当响了一整夜",
    "他翻身上马朝着北方一路疾驰",
    "孩子们追着风筝跑过了整片麦田",
    "信上只有短短的几行字",
    "秋虫在草丛里不知疲倦地叫着",
};
constexpr int kClauseCount = static_cast<int>(sizeof(kClauses) / sizeof(kClauses[0]));

constexpr const char* kTitleWords[] = {
    "启程", "夜雨", "旧友", "渡口", "山门", "灯火", "归来", "离别", "风起", "星落",
    "长街", "书信", "残局", "晨钟", "暮鼓", "远行", "故园", "江湖", "明月", "霜降",
};
constexpr int kTitleWordCount = static_cast<int>(sizeof(kTitleWords) / sizeof(kTitleWords[0]));

// A small linear congruential generator: the same sequence on every platform.
class Prose {
  public:
    explicit Prose(std::uint32_t seed) : state_(seed) {}

    int next(int bound) {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<int>((state_ >> 8) % static_cast<std::uint32_t>(bound));
    }

    // One paragraph: an ideographic indent, two or three clauses, a full stop.
    std::string paragraph() {
        std::string line = "\u3000\u3000";
        const int clauses = 2 + next(2);
        for (int i = 0; i < clauses; ++i) {
            if (i > 0) {
                line += "，";
            }
            line += kClauses[next(kClauseCount)];
        }
        line += "。";
        return line;
    }

  private:
    std::uint32_t state_;
};

struct BookPlan {
    const char* id;
    const char* name;
    const char* author;
    const char* intro;  // lines joined by "\r\n"; empty for none
    bool hasCover;
    bool sites[7];
    int chapters;
    std::uint32_t seed;
};

DemoBook makeBook(const BookPlan& plan) {
    DemoBook book;
    book.id = plan.id;
    book.name = gbk(plan.name);
    book.author = gbk(plan.author);
    book.introduction = gbk(plan.intro);
    book.hasCover = plan.hasCover;
    for (int s = 0; s < 7; ++s) {
        book.onSite[s] = plan.sites[s];
    }
    Prose prose(plan.seed);
    book.chapters.reserve(static_cast<size_t>(plan.chapters));
    for (int n = 1; n <= plan.chapters; ++n) {
        std::string title =
            "第" + std::to_string(n) + "章\u3000" + kTitleWords[prose.next(kTitleWordCount)];
        std::string body;
        const int lines = 6 + prose.next(3);
        for (int i = 0; i < lines; ++i) {
            if (i > 0) {
                body += "\r\n";
            }
            body += prose.paragraph();
        }
        book.chapters.push_back({gbk(title), gbk(body)});
    }
    book.latestChapter = book.chapters.empty() ? Text() : book.chapters.back().title;
    return book;
}

std::vector<DemoBook> buildCatalogue() {
    static const BookPlan kPlans[] = {
        {"xinghe",
         "星河旧梦",
         "林墨舟",
         "少年自边城出发，一路向东寻找失散的兄长。\r\n"
         "十年江湖，旧梦如星河，终有散去的一天。\r\n"
         "这是一个关于守诺与归途的故事。",
         true,
         {false, true, true, true, true, true, true},
         12,
         11u},
        {"qingshi",
         "青石巷的雨",
         "苏晚晴",
         "江南小城的一条青石巷里，住着几户寻常人家。\r\n"
         "一场连绵的春雨，把他们的往事慢慢冲了出来。",
         true,
         {false, true, true, true, false, true, false},
         8,
         23u},
        {"wuying",
         "无影灯下",
         "周野",
         "",
         false,
         {false, true, true, true, true, true, true},
         7,
         37u},
        {"fengqi",
         "风起 长安",
         "白露",
         "长安城外起了大风，一个说书人的故事从这里讲起。\r\n"
         "满城灯火之中，谁在等一个不会回来的人。",
         true,
         {false, true, true, true, true, true, true},
         10,
         41u},
        {"wanli",
         "万里归途",
         "陈远山",
         "一支商队穿过戈壁与雪山，走了整整三年。\r\n"
         "每一程都有人离开，也有人加入。",
         true,
         {false, false, true, true, true, true, true},
         2000,
         53u},
    };
    std::vector<DemoBook> books;
    for (const BookPlan& plan : kPlans) {
        books.push_back(makeBook(plan));
    }
    return books;
}

}  // namespace

const std::vector<DemoBook>& catalogue() {
    static const std::vector<DemoBook> books = buildCatalogue();
    return books;
}

const DemoBook& bookByRole(const std::string& role) {
    const auto& books = catalogue();
    if (role == "somewhere") {
        return books[1];
    }
    if (role == "nocover") {
        return books[2];
    }
    if (role == "spaced") {
        return books[3];
    }
    if (role == "long") {
        return books[4];
    }
    return books[0];  // "everywhere", and any unknown role
}

const DemoBook* findBook(const Text& keyword, int site) {
    const auto hits = findBooks(keyword, site);
    return hits.empty() ? nullptr : hits.front();
}

std::vector<const DemoBook*> findBooks(const Text& keyword, int site) {
    std::vector<const DemoBook*> hits;
    if (keyword.empty() || site < 1 || site > 6) {
        return hits;
    }
    for (const DemoBook& book : catalogue()) {
        if (book.onSite[site] && containsText(book.name, keyword)) {
            hits.push_back(&book);
        }
    }
    return hits;
}

const DemoBook* bookById(const std::string& id) {
    for (const DemoBook& book : catalogue()) {
        if (book.id == id) {
            return &book;
        }
    }
    return nullptr;
}

Text expectedBookFile(const DemoBook& book) {
    Text file;
    for (const DemoChapter& chapter : book.chapters) {
        file += chapter.title;
        file += "\r\n";
        file += chapter.body;
        file += "\r\n";
    }
    return file;
}

}  // namespace pel::demo

// The manual: every local link and image of every page leads to a file that exists (and to
// an anchor that exists when it names one), and every page can be reached from the index.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kManual = ZENDRA_MANUAL_DIR;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<fs::path> htmlPages() {
  std::vector<fs::path> pages;
  for (const auto& entry : fs::recursive_directory_iterator(kManual)) {
    if (entry.is_regular_file() && entry.path().extension() == ".html") {
      pages.push_back(fs::weakly_canonical(entry.path()));
    }
  }
  return pages;
}

// The values of every href and src attribute of a page.
std::vector<std::string> links(const std::string& html) {
  static const std::regex attribute(R"re(\b(?:href|src)\s*=\s*"([^"]*)")re", std::regex::icase);
  std::vector<std::string> found;
  for (std::sregex_iterator it(html.begin(), html.end(), attribute), end; it != end; ++it) {
    found.push_back((*it)[1].str());
  }
  return found;
}

bool hasAnchor(const std::string& html, const std::string& anchor) {
  return html.find("id=\"" + anchor + "\"") != std::string::npos ||
         html.find("name=\"" + anchor + "\"") != std::string::npos;
}

bool external(const std::string& link) {
  return link.starts_with("http://") || link.starts_with("https://") || link.starts_with("mailto:");
}

struct Target {
  fs::path file;
  std::string anchor;
};

Target resolve(const fs::path& page, const std::string& link) {
  const auto hash = link.find('#');
  const std::string file = link.substr(0, hash);
  const std::string anchor = hash == std::string::npos ? std::string() : link.substr(hash + 1);
  return {file.empty() ? page : fs::weakly_canonical(page.parent_path() / file), anchor};
}

TEST(Manual, EveryLocalLinkAndAnchorResolves) {
  const auto pages = htmlPages();
  ASSERT_GT(pages.size(), 10u) << "no manual in " << kManual;
  std::map<fs::path, std::string> texts;
  for (const auto& page : pages) texts[page] = readFile(page);
  for (const auto& [page, html] : texts) {
    for (const std::string& link : links(html)) {
      if (external(link)) continue;
      const Target target = resolve(page, link);
      ASSERT_TRUE(fs::is_regular_file(target.file)) << page << ": " << link;
      if (target.anchor.empty()) continue;
      const std::string& targetHtml =
          texts.contains(target.file) ? texts[target.file] : readFile(target.file);
      EXPECT_TRUE(hasAnchor(targetHtml, target.anchor)) << page << ": " << link;
    }
  }
}

TEST(Manual, EveryPageIsReachableFromTheIndex) {
  std::set<fs::path> seen;
  std::vector<fs::path> todo{fs::weakly_canonical(kManual / "index.html")};
  while (!todo.empty()) {
    const fs::path page = todo.back();
    todo.pop_back();
    if (!seen.insert(page).second) continue;
    for (const std::string& link : links(readFile(page))) {
      const Target target = resolve(page, link);
      if (!external(link) && target.file.extension() == ".html") todo.push_back(target.file);
    }
  }
  for (const auto& page : htmlPages()) EXPECT_TRUE(seen.contains(page)) << page;
}

// The checks themselves: a broken link or anchor is found.
TEST(Manual, LinksAreReadFromHrefAndSrc) {
  EXPECT_EQ(links(R"(<a href="a.html#x">a</a><img SRC="b.png"><a name="y">)"),
            (std::vector<std::string>{"a.html#x", "b.png"}));
  const Target target = resolve(kManual / "index.html", "pages/none.html#here");
  EXPECT_FALSE(fs::exists(target.file));
  EXPECT_EQ(target.anchor, "here");
  EXPECT_FALSE(hasAnchor("<h2 id=\"there\">", "here"));
}

}  // namespace

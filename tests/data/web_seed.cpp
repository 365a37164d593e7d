// Fills the URL cache of a prefix with what a browser leaves there (cached files of
// several sizes, cookies of three sites, visited pages), for the web cleaner's
// screenshots: web_seed.exe
#include <windows.h>
#include <wininet.h>

#include <string>

static void CacheFile(const std::wstring& url, DWORD size) {
  wchar_t file[MAX_PATH] = {};
  if (!CreateUrlCacheEntryW(url.c_str(), 0, nullptr, file, 0)) return;
  HANDLE h = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  std::string bytes(size, 'x');
  DWORD written = 0;
  WriteFile(h, bytes.data(), size, &written, nullptr);
  CloseHandle(h);
  FILETIME none{};
  CommitUrlCacheEntryW(url.c_str(), file, none, none, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr);
}

int wmain() {
  const struct {
    const wchar_t* url;
    DWORD size;
  } files[] = {{L"http://www.beispiel.de/index.html", 18234},   {L"http://www.beispiel.de/logo.png", 5120},
               {L"http://www.beispiel.de/stil.css", 2310},      {L"http://nachrichten.example/titel.jpg", 184320},
               {L"http://nachrichten.example/start.html", 40960}, {L"http://wetter.example/karte.gif", 998}};
  for (const auto& f : files) CacheFile(f.url, f.size);
  const wchar_t* expires = L"; expires=Fri, 31-Dec-2027 23:59:59 GMT";
  InternetSetCookieW(L"http://www.beispiel.de/", L"sitzung", (std::wstring(L"a81f33") + expires).c_str());
  InternetSetCookieW(L"http://www.beispiel.de/", L"sprache", (std::wstring(L"de") + expires).c_str());
  InternetSetCookieW(L"http://nachrichten.example/", L"besucher", (std::wstring(L"4711") + expires).c_str());
  InternetSetCookieW(L"http://wetter.example/", L"ort", (std::wstring(L"Bremen") + expires).c_str());
  for (const wchar_t* page : {L"http://www.beispiel.de/index.html", L"http://nachrichten.example/start.html",
                              L"http://wetter.example/bremen.html", L"http://www.beispiel.de/kontakt.html"}) {
    const std::wstring url = std::wstring(L"Visited: anna@") + page;
    FILETIME none{};
    CommitUrlCacheEntryW(url.c_str(), nullptr, none, none, URLHISTORY_CACHE_ENTRY, nullptr, 0, nullptr, nullptr);
  }
  return 0;
}

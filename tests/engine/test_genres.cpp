// The genre table against a derivation of its own from the assignment list:
// every entry's name, group and number, in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "engine/genres.h"

namespace {

// group: name=number, ... (the numbered genres 0..147 and the extended ones)
constexpr const char* kAssignments[] = {
    "Classic Rock: Classic Rock=1|Psychadelic=67|Rock & Roll=78|BritPop=132",
    "Country & Bluegrass: Country=2|Bluegrass=89|Cowboy=364|Western Swing=365|Honky-Tonk=366|Outlaw=367",
    "Dance & DJ: Dance=3|Disco=4|Techno=18|Euro-Techno=25|Ambient=26|Trip-Hop=27|Trance=31|House=35|Booty Bass=107|"
    "Porn Groove=109|Club=112|Freestyle=119|Euro-House=124|Dance Hall=125|Drum & Bass=127|Club-House=128|"
    "Progressive=323",
    "R&B: Funk=5|R&B=14|Groove Soul=118|Beat=135|Motown=368|New Jack=369|Neo-Soul=370|Quiet Storm=371",
    "Misc.: Grunge=6|Other=12|Pranks=23|Game=36|Sound Clip=37|Native US=64|Rave=68|Trailer=70|Polka=75|Revival=87|"
    "Humour=100|Speech=101|Chanson=102|Primus=108|Satire=110|Power Ballad=117|Duet=120|Acapella=123|Goa=126|"
    "General Rock=299",
    "Rap & HipHop: Hip-Hop=7|Rap=15",
    "Jazz: Jazz=8|Jazz+Funk=29|Fusion=30|Acid Jazz=74|Swing=83|Fast Fusion=84|Bebop=85|Avantgarde=90|Big Band=96|"
    "Drum Solo=122|Crossover=139|Jazz/World Beat=287|World Jazz=289|Soul Jazz=290|Hardbop=292|Postbop=293|"
    "Cool Jazz=294|Latin Jazz=295|Piano Jazz=296|General Jazz=297|Sacred Jazz=302|Pop/Jazz=307|Free Jazz=312|"
    "Metal Jazz=319|Creative=321|Creative Music=322|Smooth Jazz=331|Lite Jazz=332|Groove=338|World Fusion=340|"
    "Pop Jazz=341|Brazilian Jazz=344|Mexican Jazz=346",
    "Heavy Metal: Metal=9|Death Metal=22|Acid=34|Noise=39|Hard Rock=79|Heavy Metal=137|Black Metal=138|"
    "Trash Metal=144",
    "New Age: New Age=10",
    "Oldies: Oldies=11|Retro=76",
    "Pop: Pop=13|Pop/Funk=62|Jpop=146|Synthpop=147|General Pop=298|Pop/Rock=309|Urban=334",
    "Reggae: Reggae=16",
    "Rock: Rock=17|Psychedelic Rock=93|Symphonic Rock=94|Slow Rock=95|Slow Jam=111|Surf=311|British Rock=360|"
    "Glam=361|Arena Rock=362|Stadium Rock=363|Jam Bands=372|Roots Rock=373|Singer-Songwriter=374",
    "Alternative Rock: Industrial=19|Alternative=20|Ska=21|New Wave=66|Acid Punk=73|Gothic Rock=91|"
    "Progressive Rock=92|Punk Rock=121|Hardcore=129|Indie=131|Negerpunk=133|Polsk Punk=134|Goth=276",
    "Soundtrack: Soundtrack=24|Musical=77|Film Score=304|TV Theme=305",
    "Vocal: Vocal=28|Cabaret=65|Showtunes=69|Chorus=97|Vocal/Latin=306|Pop/Vocal=308|Vocal Jazz=342|"
    "Classic Female Vocal Blues=349",
    "Classical: Classical=32|Chamber Music=104|Sonata=105|Symphony=106|Classics=284",
    "Instrumental: Instrumental=33",
    "Christian & Gospel: Gospel=38|Christian Rap=61|Christian Gangsta Rap=136|Contemporary Christian=140|"
    "Christian Rock=141|Gospel & Religious=300|Sacred=301|Country Gospel=358|Hymns=359",
    "World & International: Jungle=63|Lo-Fi=71|Tribal=72|Anime=145|World=285|International=286|World Beat=288|"
    "Indian=333|Turkish=335|Mexican=345",
    "Folk: Folk=80|Folk-Rock=81|National Folk=82|Celtic=88|Acoustic=99|Folklore=115|Ballad=116",
    "Latin & Brazilian: Latin=86|Tango=113|Samba=114|Merengue=142|Salsa=143|Cuban=336|Afro-Latin=337|Chorro=339|"
    "Brazilian=343",
    "Easy Listening: Easy Listening=98|Lite FM=330",
    "Opera: Opera=103",
    "Holiday & Seasonal: Terror=130|Holiday=277|Holiday Jazz=282|Hoilday Classics=283|Seasonal=324|Christmas=325|"
    "Halloween=326|Scary=327|Americana=328|Anthem=329",
    "Blues: Blues=0|Delta Blues=291|Latin Blues=303|Acoustic Blues=347|Chicago Blues=348|Contemporary Blues=350|"
    "Electric Blues Guitar=351|Modern Blues=352|Regional Blues=353|Traditional Blues=354",
    "Lounge & Exotica: Lounge=278|Tropical=279|Tiki Tropical=280|Exotica=281",
    "Electronic & Techno: SFX=310|Electronica/Dance=313|Electronic=314|Techno=315|Noise=316|Beat=317|"
    "Electronica=318|Experimental=320",
    "Young Adult & Children: Lullabies=355|Educational=356|Sing-A-Long=357",
};

// (genre name, group name, number) of the group entries, in building order.
constexpr const char* kGroupEntries =
    "All Genres/All Genres/526|Alternative Rock/Alternative/500|Blues/Blues/501|Vocal/Vocal/502|"
    "Young Adult & Children/Young Adult & Children/503|Christian & Gospel/Christian & Gospel/504|"
    "Classic Rock/Rock/505|Classical/Classical/506|Country & Bluegrass/Country & Bluegrass/507|"
    "Dance & DJ/Dance & DJ/508|Folk/Folk/509|Hard Rock & Metal/Heavy Metal/510|"
    "Holiday & Seasonal/Holiday & Seasonal/511|Lounge & Exotica/Lounge & Exotica/512|"
    "International/World & International/513|Jazz/Jazz/514|Latin & Brazilian/Latin & Brazilian/515|"
    "Misc./Misc./516|New Age/New Age/517|Oldies/Oldies/518|Opera/Opera/519|Pop/Pop/520|R&B/R&B/521|"
    "Rap & HipHop/Rap & HipHop/522|Rock/Rock/523|Soundtrack/Soundtrack/524|Unknown/Unknown/525";

std::vector<std::string> split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::stringstream in(s);
  for (std::string part; std::getline(in, part, sep);) parts.push_back(part);
  return parts;
}

// The table built step by step from the lists above.
std::vector<GenreEntry> derivedTable() {
  std::map<int, GenreEntry> byNumber;
  for (const std::string text : kAssignments) {
    const std::size_t colon = text.find(": ");
    for (const std::string& item : split(text.substr(colon + 2), '|')) {
      const std::size_t eq = item.rfind('=');
      const int number = std::stoi(item.substr(eq + 1));
      byNumber[number] = GenreEntry{text.substr(0, colon), item.substr(0, eq), static_cast<std::int16_t>(number)};
    }
  }
  std::vector<GenreEntry> t;
  for (int n = 1; n <= 147; ++n)
    t.push_back(n >= 40 && n <= 60 ? GenreEntry{"Misc.", "", static_cast<std::int16_t>(n)} : byNumber.at(n));
  t.push_back(byNumber.at(0));
  t.push_back({"All Genres", "All Genres", -7});
  t.push_back({"Unknown", "Unknown", -2});
  for (const auto& [n, e] : byNumber)
    if (n >= 276) t.push_back(e);
  for (const std::string& item : split(kGroupEntries, '|')) {
    const auto f = split(item, '/');
    t.push_back({f[1], f[0], static_cast<std::int16_t>(std::stoi(f[2]))});
  }
  // Equal names keep their building order.
  std::stable_sort(t.begin(), t.end(),
                   [](const GenreEntry& a, const GenreEntry& b) { return a.genreName < b.genreName; });
  return t;
}

}  // namespace

TEST(Genres, EveryEntryMatchesTheDerivedTableAndRebuildingRepeatsIt) {
  const std::vector<GenreEntry> expected = derivedTable();
  ASSERT_EQ(expected.size(), 276u);
  for (int round = 0; round < 2; ++round) {
    initMP3Categories();
    ASSERT_EQ(gTotalGenres_L, 276);
    for (int i = 1; i <= 276; ++i) {
      const GenreEntry &a = gGenre_A[i], &e = expected[static_cast<std::size_t>(i - 1)];
      EXPECT_EQ(std::tie(a.genreName, a.groupName, a.number), std::tie(e.genreName, e.groupName, e.number)) << i;
    }
  }
}

TEST(NormaliseGenre, EveryCodeOfTheMap) {
  const std::map<int, std::string> map = {
      {1, "Blues"},        {3, "Country"},     {4, "Dance"},          {9, "Jazz"},       {11, "New Age"},
      {13, "Other"},       {14, "Pop"},        {15, "R&B"},           {17, "Reggae"},    {18, "Rock"},
      {21, "Alternative"}, {25, "Soundtrack"}, {29, "Vocal"},         {33, "Classical"}, {34, "Instrumental"},
      {53, "Electronic"},  {87, "Latin"},      {99, "Easy Listening"}};
  for (int code = -32768; code <= 32767; ++code)
    EXPECT_EQ(normaliseGenre(static_cast<std::int16_t>(code)), map.contains(code) ? map.at(code) : "Unknown") << code;
}

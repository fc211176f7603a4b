// T-SQL batch -> SQLite statements. A small lexer cuts the text into tokens that keep
// their exact source bytes; the rewriting works on the token list and joins the tokens
// back, so whatever is not rewritten reaches SQLite unchanged.
#include "server/SqlTranslator.h"

#include <cctype>
#include "server/StoreErrors.h"

namespace store {
namespace {

enum class Tok { Space, Comment, String, Ident, Number, Word, Variable, Punct };

struct Token {
  Tok Kind;
  std::string Text;   // source bytes (Ident: already rewritten to "quoted" form)
};

bool IsWordStart(unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; }
bool IsWordChar(unsigned char c) {
  return std::isalnum(c) || c == '_' || c == '$' || c == '#' || c >= 0x80;
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

// "name" with embedded double quotes doubled.
std::string QuoteIdent(std::string_view name) {
  std::string r = "\"";
  for (char c : name) {
    if (c == '"') r += '"';
    r += c;
  }
  return r + "\"";
}

std::vector<Token> Lex(std::string_view s) {
  std::vector<Token> out;
  size_t i = 0;
  const size_t n = s.size();
  while (i < n) {
    const size_t start = i;
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (std::isspace(c)) {
      while (i < n && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
      out.push_back({Tok::Space, std::string(s.substr(start, i - start))});
    } else if (c == '-' && i + 1 < n && s[i + 1] == '-') {
      while (i < n && s[i] != '\n') ++i;
      out.push_back({Tok::Comment, std::string(s.substr(start, i - start))});
    } else if (c == '/' && i + 1 < n && s[i + 1] == '*') {
      const size_t end = s.find("*/", i + 2);
      if (end == std::string_view::npos) throw ESqlError("Missing end comment mark '*/'.");
      i = end + 2;
      out.push_back({Tok::Comment, std::string(s.substr(start, i - start))});
    } else if (c == '\'') {
      ++i;
      for (;;) {
        if (i >= n) {
          throw ESqlError("Unclosed quotation mark after the character string '" +
                          std::string(s.substr(start + 1)) + "'.");
        }
        if (s[i] == '\'') {
          if (i + 1 < n && s[i + 1] == '\'') {
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        ++i;
      }
      out.push_back({Tok::String, std::string(s.substr(start, i - start))});
    } else if (c == '[' || c == '"') {
      const char close = c == '[' ? ']' : '"';
      std::string name;
      ++i;
      for (;;) {
        if (i >= n) {
          throw ESqlError("Unclosed quotation mark before the identifier '" +
                          std::string(s.substr(start + 1)) + "'.");
        }
        if (s[i] == close) {
          if (i + 1 < n && s[i + 1] == close) {
            name += close;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        name += s[i++];
      }
      out.push_back({Tok::Ident, QuoteIdent(name)});
    } else if (IsDigit(static_cast<char>(c)) ||
               (c == '.' && i + 1 < n && IsDigit(s[i + 1]))) {
      if (c == '0' && i + 2 < n && (s[i + 1] == 'x' || s[i + 1] == 'X') &&
          std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
        i += 2;
        while (i < n && std::isxdigit(static_cast<unsigned char>(s[i]))) ++i;
        out.push_back({Tok::Number, std::string(s.substr(start, i - start))});
        continue;
      }
      while (i < n && IsDigit(s[i])) ++i;
      if (i < n && s[i] == '.') {
        ++i;
        while (i < n && IsDigit(s[i])) ++i;
      }
      // An exponent only when digits follow: "1e5" is a number, "0and" is 0 then "and".
      if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < n && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < n && IsDigit(s[j])) {
          i = j;
          while (i < n && IsDigit(s[i])) ++i;
        }
      }
      out.push_back({Tok::Number, std::string(s.substr(start, i - start))});
    } else if (c == '@') {
      ++i;
      if (i < n && s[i] == '@') ++i;
      while (i < n && IsWordChar(static_cast<unsigned char>(s[i]))) ++i;
      out.push_back({Tok::Variable, std::string(s.substr(start, i - start))});
    } else if (IsWordStart(c)) {
      while (i < n && IsWordChar(static_cast<unsigned char>(s[i]))) ++i;
      out.push_back({Tok::Word, std::string(s.substr(start, i - start))});
    } else {
      ++i;
      out.push_back({Tok::Punct, std::string(1, static_cast<char>(c))});
    }
  }
  return out;
}

bool Significant(const Token& t) { return t.Kind != Tok::Space && t.Kind != Tok::Comment; }

// Index of the next significant token after i, or tokens.size().
size_t NextSignificant(const std::vector<Token>& t, size_t i) {
  for (++i; i < t.size(); ++i) {
    if (Significant(t[i])) return i;
  }
  return t.size();
}

// FN_GetPowerRangeEList (operator, parent): the active leaf employees the operator may
// choose (all of them when EtypeRange lists nothing for the operator), under the given
// parent class unless it is ''. The arguments are placed in parentheses as given.
std::string PowerRangeSubquery(const std::string& op, const std::string& parent) {
  return "(select e.typeid as typeid, e.UserCode as UserCode, e.FullName as FullName, "
         "e.BranchId as BranchId from etype e where e.Sonnum = 0 and e.Stop = 0 and "
         "(not exists (select 1 from EtypeRange r where r.OperatorId = (" + op + ")) or "
         "e.typeid in (select r.EtypeId from EtypeRange r where r.OperatorId = (" + op +
         "))) and ((" + parent + ") = '' or e.ParId = (" + parent + ")))";
}

// Rewrites the table-valued function call starting at token i (the function name) and
// returns the index of the token after its closing parenthesis.
size_t RewritePowerRange(const std::vector<Token>& t, size_t i, std::string& out) {
  size_t j = NextSignificant(t, i);
  if (j >= t.size() || t[j].Text != "(") {
    throw ESqlError("FN_GetPowerRangeEList is a table-valued function and needs its arguments.");
  }
  std::vector<std::string> args(1);
  int depth = 0;
  for (++j; j < t.size(); ++j) {
    const Token& k = t[j];
    if (k.Kind == Tok::Punct && k.Text == "(") ++depth;
    if (k.Kind == Tok::Punct && k.Text == ")") {
      if (depth == 0) break;
      --depth;
    }
    if (depth == 0 && k.Kind == Tok::Punct && k.Text == ",") {
      args.emplace_back();
      continue;
    }
    if (k.Kind == Tok::Variable) {
      throw ESqlError("Must declare the scalar variable \"" + k.Text + "\".");
    }
    args.back() += k.Text;
  }
  if (j >= t.size()) throw ESqlError("Incorrect syntax near 'FN_GetPowerRangeEList'.");
  if (args.size() != 2) {
    throw ESqlError("FN_GetPowerRangeEList takes 2 arguments, " + std::to_string(args.size()) +
                    " given.");
  }
  for (const std::string& a : args) {
    if (a.find_first_not_of(" \t\r\n") == std::string::npos) {
      throw ESqlError("FN_GetPowerRangeEList: an argument is missing.");
    }
  }
  out += PowerRangeSubquery(args[0], args[1]);
  return j + 1;
}

// Statement kinds that a keyword at the outermost level may end (T-SQL batches need no
// separator between them).
enum class StmtKind { None, Select, Insert, Update, Delete, Other };

StmtKind KindOf(const std::string& lowerWord) {
  if (lowerWord == "select") return StmtKind::Select;
  if (lowerWord == "insert") return StmtKind::Insert;
  if (lowerWord == "update") return StmtKind::Update;
  if (lowerWord == "delete") return StmtKind::Delete;
  return StmtKind::Other;
}

class BatchSplitter {
 public:
  std::vector<std::string> Run(const std::vector<Token>& t) {
    for (size_t i = 0; i < t.size();) {
      const Token& k = t[i];
      if (!Significant(k)) {
        FCurrent += k.Text;
        ++i;
        continue;
      }
      if (FDepth == 0 && k.Kind == Tok::Punct && k.Text == ";") {
        Finish();
        ++i;
        continue;
      }
      if (FDepth == 0 && k.Kind == Tok::Word && StartsNewStatement(Lower(k.Text))) Finish();
      i = Emit(t, i);
    }
    Finish();
    return std::move(FStatements);
  }

 private:
  // A DML keyword at the outermost level begins a new statement unless it continues the
  // current one ("insert into t select ...", "select ... union select ...").
  bool StartsNewStatement(const std::string& w) const {
    const StmtKind k = KindOf(w);
    if (FKind == StmtKind::None || FKind == StmtKind::Other || k == StmtKind::Other) {
      return false;
    }
    if (k != StmtKind::Select) return true;
    switch (FKind) {
      case StmtKind::Insert: return FValuesClosed;
      case StmtKind::Select:
        return FLastWord != "union" && FLastWord != "all" && FLastWord != "except" &&
               FLastWord != "intersect";
      default: return true;
    }
  }

  size_t Emit(const std::vector<Token>& t, size_t i) {
    const Token& k = t[i];
    if (FKind == StmtKind::None) {
      FKind = k.Kind == Tok::Word ? KindOf(Lower(k.Text)) : StmtKind::Other;
    }
    FHasContent = true;
    FLastWord = k.Kind == Tok::Word ? Lower(k.Text) : std::string();
    switch (k.Kind) {
      case Tok::Punct:
        if (k.Text == "(") ++FDepth;
        if (k.Text == ")" && FDepth > 0) {
          --FDepth;
          if (FDepth == 0 && FSawValues) FValuesClosed = true;
        }
        FCurrent += k.Text;
        break;
      case Tok::Number: {
        FCurrent += k.Text;
        // "0and": SQLite's lexer wants a blank between a number and a word.
        if (i + 1 < t.size() && t[i + 1].Kind == Tok::Word) FCurrent += ' ';
        break;
      }
      case Tok::Variable: {
        if (Lower(k.Text) != "@@identity") {
          throw ESqlError("Must declare the scalar variable \"" + k.Text + "\".");
        }
        FCurrent += "last_insert_rowid()";
        break;
      }
      case Tok::Word: {
        const std::string w = Lower(k.Text);
        if (w == "values" && FDepth == 0) FSawValues = true;
        if (w == "isnull") {
          const size_t j = NextSignificant(t, i);
          if (j < t.size() && t[j].Text == "(") {
            FCurrent += "ifnull";
            break;
          }
        }
        if (w == "fn_getpowerrangeelist") return RewritePowerRange(t, i, FCurrent);
        FCurrent += k.Text;
        break;
      }
      default:
        FCurrent += k.Text;
    }
    return i + 1;
  }

  void Finish() {
    if (FHasContent) {
      const size_t b = FCurrent.find_first_not_of(" \t\r\n\f\v");
      const size_t e = FCurrent.find_last_not_of(" \t\r\n\f\v");
      FStatements.push_back(FCurrent.substr(b, e - b + 1));
    }
    FCurrent.clear();
    FHasContent = false;
    FKind = StmtKind::None;
    FDepth = 0;
    FSawValues = false;
    FValuesClosed = false;
    FLastWord.clear();
  }

  std::vector<std::string> FStatements;
  std::string FCurrent;
  bool FHasContent = false;
  StmtKind FKind = StmtKind::None;
  int FDepth = 0;
  bool FSawValues = false;
  bool FValuesClosed = false;
  std::string FLastWord;
};

}  // namespace

std::vector<std::string> TranslateBatch(std::string_view tsql) {
  return BatchSplitter().Run(Lex(tsql));
}

std::string NormalizeProcName(std::string_view name) {
  std::string s(name);
  const size_t semi = s.rfind(';');
  if (semi != std::string::npos) {
    const std::string group = s.substr(semi + 1);
    if (group != "1") throw EUnknownProcedure("Could not find stored procedure '" + s + "'.");
    s.erase(semi);
  }
  const size_t b = s.find_first_not_of(' ');
  const size_t e = s.find_last_not_of(' ');
  s = b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
  if (s.size() >= 2 && s.front() == '[' && s.back() == ']') s = s.substr(1, s.size() - 2);
  if (s.empty()) throw EUnknownProcedure("Could not find stored procedure ''.");
  return s;
}

}  // namespace store

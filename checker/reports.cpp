#include "checker/reports.h"

#include <cstdio>

#include "checker/text_encoding.h"

namespace {

// UTF-8 text with the characters that XML 1.0 cannot hold replaced, and the markup escaped.
std::string XmlEscape(const std::string& utf8) {
  std::string xml;
  for (char c : utf8) {
    const unsigned char u = static_cast<unsigned char>(c);
    switch (c) {
      case '&': xml += "&amp;"; break;
      case '<': xml += "&lt;"; break;
      case '>': xml += "&gt;"; break;
      case '"': xml += "&quot;"; break;
      default: xml += (u < 0x20 && c != '\t' && c != '\n' && c != '\r') ? '?' : c; break;
    }
  }
  return xml;
}

std::string QuoteUtf8(const std::string& utf8) {
  std::string json = "\"";
  for (char c : utf8) {
    const unsigned char u = static_cast<unsigned char>(c);
    switch (c) {
      case '"': json += "\\\""; break;
      case '\\': json += "\\\\"; break;
      case '\n': json += "\\n"; break;
      case '\r': json += "\\r"; break;
      case '\t': json += "\\t"; break;
      default:
        if (u < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
          json += escaped;
        } else {
          json += c;
        }
    }
  }
  return json + "\"";
}

}  // namespace

std::string JsonQuote(const std::string& sjis) { return QuoteUtf8(SjisToUtf8(sjis)); }

void JsonWriter::NewLine() { out_ += "\r\n" + std::string(2 * hasMembers_.size(), ' '); }

void JsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (hasMembers_.empty()) return;
  if (hasMembers_.back()) out_ += ',';
  hasMembers_.back() = true;
  NewLine();
}

void JsonWriter::Key(const char* name) {
  BeforeValue();
  out_ += JsonQuote(name) + ": ";
  afterKey_ = true;
}

void JsonWriter::Open(char bracket) {
  BeforeValue();
  out_ += bracket;
  hasMembers_.push_back(false);
}

void JsonWriter::Close(char bracket) {
  const bool any = hasMembers_.back();
  hasMembers_.pop_back();
  if (any) NewLine();
  out_ += bracket;
}

void JsonWriter::String(const std::string& sjis) {
  BeforeValue();
  out_ += JsonQuote(sjis);
}

void JsonWriter::Utf8String(const std::string& utf8) {
  BeforeValue();
  out_ += QuoteUtf8(utf8);
}

void JsonWriter::Utf8StringArray(const std::vector<std::string>& utf8) {
  BeginArray();
  for (const std::string& item : utf8) Utf8String(item);
  EndArray();
}

void JsonWriter::Number(int64_t value) {
  BeforeValue();
  out_ += std::to_string(value);
}

void JsonWriter::Bool(bool value) {
  BeforeValue();
  out_ += value ? "true" : "false";
}

void JsonWriter::Seconds(double seconds) {
  BeforeValue();
  out_ += SecondsText(seconds);
}

void JsonWriter::StringArray(const std::vector<std::string>& sjis) {
  BeginArray();
  for (const std::string& item : sjis) String(item);
  EndArray();
}

std::string SecondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", seconds < 0 ? 0.0 : seconds);
  return text;
}

std::string JunitReport(const std::string& suite, const std::vector<CaseResult>& cases) {
  size_t failed = 0, errors = 0, skipped = 0;
  double seconds = 0;
  for (const CaseResult& c : cases) {
    if (!c.errors.empty()) {
      ++errors;
    } else if (!c.failures.empty()) {
      ++failed;
    } else if (!c.skipped.empty()) {
      ++skipped;
    }
    seconds += c.seconds;
  }
  const std::string counts = "tests=\"" + std::to_string(cases.size()) + "\" failures=\"" +
                             std::to_string(failed) + "\" errors=\"" + std::to_string(errors) +
                             "\" skipped=\"" + std::to_string(skipped) + "\" time=\"" +
                             SecondsText(seconds) + "\"";
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
  xml += "<testsuites " + counts + ">\r\n";
  xml += "  <testsuite name=\"" + XmlEscape(suite) + "\" " + counts + ">\r\n";
  for (const CaseResult& c : cases) {
    xml += "    <testcase classname=\"" + XmlEscape(suite) + "\" name=\"" + XmlEscape(c.name) +
           "\" time=\"" + SecondsText(c.seconds) + "\"";
    if (c.failures.empty() && c.errors.empty() && c.skipped.empty() && c.output.empty()) {
      xml += "/>\r\n";
      continue;
    }
    xml += ">\r\n";
    if (!c.skipped.empty() && c.failures.empty() && c.errors.empty()) {
      xml += "      <skipped message=\"" + XmlEscape(c.skipped) + "\"/>\r\n";
    }
    for (const std::string& error : c.errors) {
      xml += "      <error message=\"" + XmlEscape(error) + "\">" + XmlEscape(error) + "</error>\r\n";
    }
    for (size_t i = 0; i < c.failures.size(); ++i) {
      std::string body = c.failures[i];
      if (i == 0) {
        for (const std::string& line : c.failureDetail) body += "\n" + line;
      }
      xml += "      <failure message=\"" + XmlEscape(c.failures[i]) + "\">" + XmlEscape(body) +
             "</failure>\r\n";
    }
    if (!c.output.empty()) {
      std::string out;
      for (const std::string& line : c.output) out += line + "\n";
      xml += "      <system-out>" + XmlEscape(SjisToUtf8(out)) + "</system-out>\r\n";
    }
    xml += "    </testcase>\r\n";
  }
  xml += "  </testsuite>\r\n</testsuites>\r\n";
  return xml;
}

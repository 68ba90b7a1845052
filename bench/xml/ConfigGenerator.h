// Builds configuration documents of a chosen size for benchmarks: an <ostrel> root with
// one library and `beans` bean definitions of a few recurring shapes (constructor
// arguments, values of several types, references, lists, comments, references to
// characters).
#pragma once

#include <string>

inline std::string GenerateConfiguration(int beans) {
  static const char* const kClasses[] = {"shop::CBasket", "shop::CCatalogue", "shop::CPriceList",
                                         "billing::CInvoice", "billing::CTaxTable"};
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ostrel>\n";
  text += "  <library path=\"libshop.so\">\n    <beans>\n";
  for (int i = 0; i < beans; ++i) {
    const std::string id = std::to_string(i);
    const std::string previous = std::to_string(i > 0 ? i - 1 : 0);
    text += "      <bean name=\"b" + id + "\" class=\"" + kClasses[i % 5] + "\" singleton=\"" +
            (i % 3 == 0 ? "false" : "true") + "\">\n";
    if (i % 10 == 0) text += "        <!-- group " + id + " -->\n";
    text += "        <constructor-arg><argument><value type=\"int\">" + id +
            "</value></argument>";
    if (i % 4 == 1) text += "<argument><value type=\"string\">Shop &amp; Co " + id + "</value></argument>";
    text += "</constructor-arg>\n        <properties>\n";
    text += "          <property name=\"Owner\"><ref bean=\"b" + previous + "\"/></property>\n";
    text += "          <property name=\"Limit\"><value type=\"double\">" + std::to_string(i % 7) +
            ".5</value></property>\n";
    if (i % 5 == 2) {
      text += "          <property name=\"Tags\"><list><value>a</value><value>b &lt; c</value>"
              "<value>" + id + "</value></list></property>\n";
    }
    text += "        </properties>\n      </bean>\n";
  }
  text += "    </beans>\n  </library>\n</ostrel>\n";
  return text;
}

/*
 * The application manifest embedded in setup.exe, read from the built program
 * and parsed by the platform's own XML parser: newer Windows refuses to start a
 * program whose manifest is malformed, so well-formedness matters here.
 */
#include <gtest/gtest.h>
#include <objbase.h>
#include <msxml2.h>
#include <string>
#include "support/testing.h"

namespace
{

/* IID_IXMLDOMDocument2, which mingw's import libraries do not carry. */
const IID documentInterface = {
    0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

std::string EmbeddedManifest()
{
    HMODULE setup = LoadLibraryExA(BuiltFile("setup.exe").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_NE(nullptr, setup);
    if (!setup)
        return "";
    std::string text;
    HRSRC found = FindResourceA(setup, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    if (found)
        text.assign(static_cast<const char *>(LockResource(LoadResource(setup, found))),
                    SizeofResource(setup, found));
    FreeLibrary(setup);
    return text;
}

/* The attribute values the XPath query finds, parsed with the platform's MSXML. */
std::vector<std::string> Select(IXMLDOMDocument2 *document, const wchar_t *xpath)
{
    std::vector<std::string> values;
    IXMLDOMNodeList *nodes = NULL;
    BSTR query = SysAllocString(xpath);
    if (SUCCEEDED(document->selectNodes(query, &nodes)) && nodes)
    {
        IXMLDOMNode *node = NULL;
        while (nodes->nextNode(&node) == S_OK && node)
        {
            BSTR text = NULL;
            node->get_text(&text);
            char narrow[256] = "";
            WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, NULL, NULL);
            values.push_back(narrow);
            SysFreeString(text);
            node->Release();
        }
        nodes->Release();
    }
    SysFreeString(query);
    return values;
}

} // namespace

TEST(ApplicationManifest, IsWellFormedAndAsksForWhatTheSetupNeeds)
{
    std::string manifest = EmbeddedManifest();
    ASSERT_FALSE(manifest.empty()) << "no manifest resource 1 of type 24 in setup.exe";

    CoInitialize(NULL);
    IXMLDOMDocument2 *document = NULL;
    CLSID parser;
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &parser));
    ASSERT_EQ(S_OK, CoCreateInstance(parser, NULL, CLSCTX_INPROC_SERVER, documentInterface,
                                     reinterpret_cast<void **>(&document)));
    std::wstring wide(manifest.begin(), manifest.end());
    BSTR xml = SysAllocString(wide.c_str());
    VARIANT_BOOL parsed = VARIANT_FALSE;
    document->loadXML(xml, &parsed);
    SysFreeString(xml);
    EXPECT_EQ(VARIANT_TRUE, parsed) << "not well-formed:\n" << manifest;

    VARIANT namespaces;
    VariantInit(&namespaces);
    namespaces.vt = VT_BSTR;
    namespaces.bstrVal =
        SysAllocString(L"xmlns:a='urn:schemas-microsoft-com:asm.v1' "
                       L"xmlns:s='urn:schemas-microsoft-com:asm.v3' "
                       L"xmlns:c='urn:schemas-microsoft-com:compatibility.v1' "
                       L"xmlns:w='http://schemas.microsoft.com/SMI/2005/WindowsSettings'");
    BSTR language = SysAllocString(L"SelectionLanguage");
    BSTR selection = SysAllocString(L"SelectionNamespaces");
    VARIANT xpath;
    VariantInit(&xpath);
    xpath.vt = VT_BSTR;
    xpath.bstrVal = SysAllocString(L"XPath");
    document->setProperty(language, xpath);
    document->setProperty(selection, namespaces);

    EXPECT_EQ(std::vector<std::string>{"highestAvailable"},
              Select(document, L"/a:assembly/s:trustInfo/s:security/s:requestedPrivileges/"
                               L"s:requestedExecutionLevel/@level"));
    EXPECT_EQ((std::vector<std::string>{"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                                        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                                        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                                        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}),
              Select(document, L"/a:assembly/c:compatibility/c:application/c:supportedOS/@Id"));
    EXPECT_EQ(std::vector<std::string>{"true"},
              Select(document, L"/a:assembly/s:application/s:windowsSettings/w:dpiAware"));
    EXPECT_EQ(std::vector<std::string>{"6.0.0.0"},
              Select(document,
                     L"/a:assembly/a:dependency/a:dependentAssembly/"
                     L"a:assemblyIdentity[@name='Microsoft.Windows.Common-Controls']/@version"));

    SysFreeString(language);
    SysFreeString(selection);
    VariantClear(&xpath);
    VariantClear(&namespaces);
    document->Release();
    CoUninitialize();
}

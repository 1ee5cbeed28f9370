{ Compiles an HTML Help Workshop project (.hhp) into a compiled help file (CHM).
    HtmlHelpCompiler PROJECT.hhp OUTPUT

  Free Pascal's chm units do the work, as in chmcmd. Two things differ from Debian's chmcmd
  3.2.2: a context id of [ALIAS]/[MAP] names its page as HTML Help Workshop does
  ("page.html"; chmcmd writes the build folder's absolute path, which no viewer finds), and
  the contents and index texts are read as Windows-1252, the code page of language 0x407
  (chmcmd turns every umlaut of the binary index into "?"). Warnings fail the build. }
program HtmlHelpCompiler;

{$mode objfpc}{$H+}

uses
  cwstring, Classes, SysUtils, chmfilewriter, chmwriter;

type
  TTivanoChmProject = class(TChmProject)
  public
    procedure WriteChm(AOutStream: TStream); override;
  end;

procedure TTivanoChmProject.WriteChm(AOutStream: TStream);
var
  Writer: TChmWriter;
  Node: TChmContextNode;
  I: Integer;
begin
  LoadSitemaps;
  if ScanHtmlContents then
    ScanHtml;
  Writer := TChmWriter.Create(AOutStream, False);
  try
    Writer.OnGetFileData := @GetData;
    // Appends the contents and the index once the pages are in.
    Writer.OnLastFile := @LastFileAdded;
    Writer.FilesToCompress.AddStrings(Files);
    Writer.FilesToCompress.AddStrings(OtherFiles);
    Writer.DefaultPage := DefaultPage;
    Writer.Title := Title;
    Writer.DefaultFont := DefaultFont;
    Writer.FullTextSearch := MakeSearchable;
    Writer.HasBinaryTOC := MakeBinaryTOC;
    Writer.HasBinaryIndex := MakeBinaryIndex;
    Writer.IndexName := IndexFileName;
    Writer.TocName := TableOfContentsFileName;
    Writer.DefaultWindow := DefaultWindow;
    Writer.LocaleID := LocaleID;
    for I := 0 to Files.Count - 1 do
    begin
      Node := TChmContextNode(Files.Objects[I]);
      if Assigned(Node) and (Node.ContextNumber <> 0) then
        Writer.AddContext(Node.ContextNumber, Files[I]);
    end;
    if Windows.Count > 0 then
      Writer.Windows := Windows;
    Writer.Execute;
  finally
    Writer.Free;
  end;
end;

var
  Failed: Boolean = False;

procedure Report(Project: TChmProject; Kind: TChmProjectErrorKind; Msg: String; Level: Integer);
begin
  if Kind in [chmerror, chmwarning] then
  begin
    WriteLn(StdErr, 'HtmlHelpCompiler: ', ChmErrorKindText[Kind], ': ', Msg);
    Failed := True;
  end;
end;

var
  Project: TTivanoChmProject;
  Output: TFileStream;
begin
  if ParamCount <> 2 then
  begin
    WriteLn(StdErr, 'Usage: HtmlHelpCompiler PROJECT.hhp OUTPUT');
    Halt(2);
  end;
  // Texts of the project, the contents and the index are Windows-1252.
  DefaultSystemCodePage := 1252;
  Project := TTivanoChmProject.Create;
  try
    Project.OnError := @Report;
    Project.LoadFromhhp(ParamStr(1), False);
    Output := TFileStream.Create(ParamStr(2), fmCreate);
    try
      Project.WriteChm(Output);
    finally
      Output.Free;
    end;
  finally
    Project.Free;
  end;
  if Failed then
  begin
    DeleteFile(ParamStr(2));
    Halt(1);
  end;
end.

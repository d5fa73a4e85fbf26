{ Writes the component-stream fixtures of the stream tests with an independent
  implementation of the format (Free Pascal's classes unit).

  Build and run from this folder:
    fpc -FU/tmp make_fixtures.pas -o/tmp/make_fixtures && /tmp/make_fixtures .

  Writes:
    all_kinds.bin          a component tree with a published property of every kind,
                           binary data from DefineProperties and children (binary form)
    all_kinds.txt          the same converted to the text form
    flags_and_items.bin    flags_and_items.txt (written by hand) converted to binary
    flags_and_items.out.txt  that binary converted back to text
    values.bin             plain values written one after another without signature,
                           among them the single, currency, date and wide-string tags }
program make_fixtures;

{$mode objfpc}{$H+}

uses
  Classes, SysUtils;

type
  TFixColor = (fcRed, fcGreen, fcBlue);
  TFixStyle = (fsBold, fsItalic, fsUnderline);
  TFixStyles = set of TFixStyle;

  TFixFont = class(TPersistent)
  private
    FName: string;
    FSize: Integer;
    FStyle: TFixStyles;
  public
    constructor Create;
  published
    property Name: string read FName write FName;
    property Size: Integer read FSize write FSize default 10;
    property Style: TFixStyles read FStyle write FStyle default [];
  end;

  TFixItem = class(TCollectionItem)
  private
    FCaption: string;
    FWeight: Integer;
  published
    property Caption: string read FCaption write FCaption;
    property Weight: Integer read FWeight write FWeight default 0;
  end;

  TFixComponent = class(TComponent)
  private
    FInt8, FInt16, FInt32: Integer;
    FInt64: Int64;
    FSmall: SmallInt;
    FFloat: Extended;
    FDouble: Double;
    FSingle: Single;
    FMoney: Currency;
    FWhen: TDateTime;
    FShortText, FLongText: string;
    FWideText: WideString;
    FFlag: Boolean;
    FColor: TFixColor;
    FStyles: TFixStyles;
    FFont: TFixFont;
    FItems: TCollection;
    FLines: TStrings;
    FBuddy: TFixComponent;
    FOnClick: TNotifyEvent;
    FData: TBytes;
    FChildren: TList;
    procedure SetFont(AValue: TFixFont);
    procedure SetItems(AValue: TCollection);
    procedure SetLines(AValue: TStrings);
    procedure ReadData(Stream: TStream);
    procedure WriteData(Stream: TStream);
    procedure ReadWide(Reader: TReader);
    procedure WriteWide(Writer: TWriter);
  protected
    procedure DefineProperties(Filer: TFiler); override;
    procedure GetChildren(Proc: TGetChildProc; Root: TComponent); override;
  public
    constructor Create(AOwner: TComponent); override;
    destructor Destroy; override;
    function AddChild(const AName: string): TFixComponent;
  published
    procedure RootClick(Sender: TObject);
    property Int8Value: Integer read FInt8 write FInt8;
    property Int16Value: Integer read FInt16 write FInt16;
    property Int32Value: Integer read FInt32 write FInt32;
    property Int64Value: Int64 read FInt64 write FInt64;
    property SmallValue: SmallInt read FSmall write FSmall default 3;
    property FloatValue: Extended read FFloat write FFloat;
    property DoubleValue: Double read FDouble write FDouble;
    property SingleValue: Single read FSingle write FSingle;
    property Money: Currency read FMoney write FMoney;
    property When: TDateTime read FWhen write FWhen;
    property ShortText: string read FShortText write FShortText;
    property LongText: string read FLongText write FLongText;
    property Flag: Boolean read FFlag write FFlag default False;
    property Color: TFixColor read FColor write FColor default fcRed;
    property Styles: TFixStyles read FStyles write FStyles default [];
    property Font: TFixFont read FFont write SetFont;
    property Items: TCollection read FItems write SetItems;
    property Lines: TStrings read FLines write SetLines;
    property Buddy: TFixComponent read FBuddy write FBuddy;
    property OnClick: TNotifyEvent read FOnClick write FOnClick;
  end;

constructor TFixFont.Create;
begin
  inherited Create;
  FSize := 10;
end;

constructor TFixComponent.Create(AOwner: TComponent);
begin
  inherited Create(AOwner);
  FSmall := 3;
  FFont := TFixFont.Create;
  FItems := TCollection.Create(TFixItem);
  FLines := TStringList.Create;
  FChildren := TList.Create;
end;

destructor TFixComponent.Destroy;
begin
  FChildren.Free;
  FLines.Free;
  FItems.Free;
  FFont.Free;
  inherited Destroy;
end;

function TFixComponent.AddChild(const AName: string): TFixComponent;
begin
  Result := TFixComponent.Create(Owner);
  if Owner = nil then
    Result.Free
  else
  begin
    Result.Name := AName;
    FChildren.Add(Result);
  end;
end;

procedure TFixComponent.RootClick(Sender: TObject);
begin
end;

procedure TFixComponent.SetFont(AValue: TFixFont);
begin
  FFont.FName := AValue.FName;
  FFont.FSize := AValue.FSize;
  FFont.FStyle := AValue.FStyle;
end;

procedure TFixComponent.SetItems(AValue: TCollection);
begin
  FItems.Assign(AValue);
end;

procedure TFixComponent.SetLines(AValue: TStrings);
begin
  FLines.Assign(AValue);
end;

procedure TFixComponent.ReadData(Stream: TStream);
begin
  SetLength(FData, Stream.Size);
  if Length(FData) > 0 then
    Stream.ReadBuffer(FData[0], Length(FData));
end;

procedure TFixComponent.WriteData(Stream: TStream);
begin
  if Length(FData) > 0 then
    Stream.WriteBuffer(FData[0], Length(FData));
end;

procedure TFixComponent.ReadWide(Reader: TReader);
begin
  FWideText := Reader.ReadWideString;
end;

procedure TFixComponent.WriteWide(Writer: TWriter);
begin
  Writer.WriteWideString(FWideText);
end;

procedure TFixComponent.DefineProperties(Filer: TFiler);
begin
  inherited DefineProperties(Filer);
  Filer.DefineBinaryProperty('Data', @ReadData, @WriteData, Length(FData) > 0);
  Filer.DefineProperty('WideText', @ReadWide, @WriteWide, FWideText <> '');
end;

procedure TFixComponent.GetChildren(Proc: TGetChildProc; Root: TComponent);
var
  I: Integer;
begin
  for I := 0 to FChildren.Count - 1 do
    Proc(TComponent(FChildren[I]));
end;

procedure SaveBytes(const FileName: string; Stream: TMemoryStream);
begin
  Stream.SaveToFile(FileName);
end;

procedure MakeAllKinds(const Dir: string);
var
  Holder: TComponent;
  Root, Child1, Child2: TFixComponent;
  Item: TFixItem;
  Bin, Txt: TMemoryStream;
  I: Integer;
  S: string;
begin
  Holder := TComponent.Create(nil);
  Root := TFixComponent.Create(Holder);
  Root.Name := 'Root';
  Root.Int8Value := -5;
  Root.Int16Value := 1000;
  Root.Int32Value := 100000;
  Root.Int64Value := 10000000000;
  Root.SmallValue := 3;
  Root.FloatValue := 3.25;
  Root.DoubleValue := 0.1;
  Root.SingleValue := 2.5;
  Root.Money := 1234.5678;
  Root.When := 45351.5;
  Root.ShortText := 'It''s'#9'short';
  S := '';
  for I := 0 to 149 do
    S := S + Chr(Ord('a') + I mod 26);
  S := S + '''quoted'' and'#13#10'broken ';
  for I := 0 to 99 do
    S := S + Chr(Ord('A') + I mod 26);
  Root.LongText := S;
  Root.FWideText := WideString('Gr') + WideChar($FC) + WideChar($DF) + WideString('e ') + WideChar($20AC);
  Root.Flag := True;
  Root.Color := fcBlue;
  Root.Styles := [fsBold, fsUnderline];
  Root.Font.Name := 'Courier';
  Root.Font.Size := 12;
  Item := TFixItem(Root.Items.Add);
  Item.Caption := 'first';
  Item := TFixItem(Root.Items.Add);
  Item.Caption := 'second';
  Item.Weight := 7;
  Root.Lines.Add('one');
  Root.Lines.Add('two');
  Root.OnClick := @Root.RootClick;
  SetLength(Root.FData, 70);
  for I := 0 to 69 do
    Root.FData[I] := (I * 37) and $FF;

  Child1 := Root.AddChild('Child1');
  Child1.Int8Value := 1;
  Child1.Int16Value := -32768;
  Child1.Int32Value := -2147483647 - 1;
  Child1.Int64Value := -9223372036854775807 - 1;
  Child2 := Root.AddChild('Child2');
  Child2.Buddy := Child1;
  Child2.Int8Value := 127;
  Child2.Int16Value := 32767;
  Child2.Int32Value := 2147483647;
  Child2.Int64Value := 2147483648;
  Child2.FloatValue := -1.5E300;
  Child2.DoubleValue := 1E-7;
  Child2.Money := -0.0001;
  Child2.OnClick := @Root.RootClick;
  SetLength(Child2.FData, 3);
  Child2.FData[0] := 1;
  Child2.FData[1] := 2;
  Child2.FData[2] := 255;

  Bin := TMemoryStream.Create;
  Txt := TMemoryStream.Create;
  try
    Bin.WriteComponent(Root);
    SaveBytes(Dir + '/all_kinds.bin', Bin);
    Bin.Position := 0;
    ObjectBinaryToText(Bin, Txt);
    SaveBytes(Dir + '/all_kinds.txt', Txt);
  finally
    Txt.Free;
    Bin.Free;
  end;
  Holder.Free;
end;

procedure ConvertHandWritten(const Dir: string);
var
  Src, Bin, Txt: TMemoryStream;
begin
  Src := TMemoryStream.Create;
  Bin := TMemoryStream.Create;
  Txt := TMemoryStream.Create;
  try
    Src.LoadFromFile(Dir + '/flags_and_items.txt');
    ObjectTextToBinary(Src, Bin);
    SaveBytes(Dir + '/flags_and_items.bin', Bin);
    Bin.Position := 0;
    ObjectBinaryToText(Bin, Txt);
    SaveBytes(Dir + '/flags_and_items.out.txt', Txt);
  finally
    Txt.Free;
    Bin.Free;
    Src.Free;
  end;
end;

procedure MakeValues(const Dir: string);
var
  Bin: TMemoryStream;
  W: TWriter;
begin
  Bin := TMemoryStream.Create;
  try
    W := TWriter.Create(Bin, 1024);
    try
      W.WriteInteger(2070);
      W.WriteInteger(32);
      W.WriteListBegin;
      W.WriteString('Title');
      W.WriteString('Body');
      W.WriteListEnd;
      W.WriteString('IndexField');
      W.WriteInteger(3);
      W.WriteListBegin;
      W.WriteListEnd;
      W.WriteInteger(2147483647);
      W.WriteString('^M^J<<<');
      W.WriteBoolean(True);
      W.WriteBoolean(False);
      W.WriteInteger(Int64(-5000000000));
      W.WriteFloat(0.5);
      W.WriteIdent('someIdent');
      W.WriteIdent('nil');
      { the published Single, Currency and TDateTime properties of TFixComponent are
        written as extended floats by this implementation, so the typed values are here }
      W.WriteSingle(2.5);
      W.WriteCurrency(1234.5678);
      W.WriteDate(45351.5);
      W.WriteWideString(WideString('Gr') + WideChar($FC) + WideChar($20AC));
    finally
      W.Free;
    end;
    SaveBytes(Dir + '/values.bin', Bin);
  finally
    Bin.Free;
  end;
end;

var
  Dir: string;
begin
  Dir := ParamStr(1);
  if Dir = '' then
    Dir := '.';
  MakeAllKinds(Dir);
  ConvertHandWritten(Dir);
  MakeValues(Dir);
end.

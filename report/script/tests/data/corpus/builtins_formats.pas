function F: String;
var c: Currency;
begin
  c := StrToCurr('12.5');
  Result := FormatFloat('0.00', 3.14159) + '|' + FormatDateTime('yyyy-mm-dd hh:nn', EncodeDate(2023, 3, 15) + 0.75);
  Result := Result + '|' + FormatMaskText('000-0000;0;_', '5551234') + '|' + FormatString('000-0000;0;_', '5551234');
  Result := Result + '|' + DateToStr(EncodeDate(2023, 3, 15)) + '|' + TimeToStr(EncodeTime(18, 0, 0, 0));
  Result := Result + '|' + DateTimeToStr(EncodeDate(2023, 3, 15)) + '|' + CurrToStr(c) + '|' + FormatCurr('0.000', c);
  Result := Result + '|' + Capitalize('hello_big world');
end;

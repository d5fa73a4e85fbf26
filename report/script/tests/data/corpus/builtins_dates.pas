function F: String;
var y, m, d, h, n, s, ms: Integer;
begin
  DecodeDate(EncodeDate(2000, 2, 29), y, m, d);
  DecodeTime(EncodeTime(13, 45, 30, 250), h, n, s, ms);
  Result := IntToStr(y) + '-' + IntToStr(m) + '-' + IntToStr(d) + ' ' + IntToStr(h) + ':' + IntToStr(n) + ':' + IntToStr(s) + '.' + IntToStr(ms);
  Result := Result + ' ' + IntToStr(DayOfWeek(EncodeDate(2023, 3, 15)));
end;

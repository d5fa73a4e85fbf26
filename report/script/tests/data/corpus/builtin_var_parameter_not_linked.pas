function F: String;
var d: Double; s: String;
begin
  d := 2.7;
  s := Copy('abcdef', d, 2);
  Result := s + ' ' + FloatToStr(d);
end;

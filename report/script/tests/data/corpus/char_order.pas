function F: Boolean;
var a, b: Char;
begin
  a := 'a';
  b := 'bcd';
  Result := (a < b) and (b > 'a') and (b <= 'b') and not (a >= 'b');
end;

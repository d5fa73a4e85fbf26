{ same in Pascal }
function F: Integer;
var a, b, c: Integer;
begin
  a := 10; b := 3; c := 2;
  Result := a - b - c + a * b mod 4;
end;
